// A gumbo parse whose memory is tracked by us, so the tree is released without gumbo's
// recursive destroy (hostile nesting cannot exhaust the stack), and iterative walks over it.
#pragma once

#include <gumbo.h>

#include <QByteArray>
#include <functional>

namespace web {

class GumboTree {
 public:
  explicit GumboTree(QByteArray utf8);
  ~GumboTree();
  GumboTree(const GumboTree&) = delete;
  GumboTree& operator=(const GumboTree&) = delete;

  GumboNode* document() const { return output_ ? output_->document : nullptr; }
  GumboNode* root() const { return output_ ? output_->root : nullptr; }

 private:
  struct Block;
  static void* allocate(void* self, size_t size);
  static void release(void* self, void* pointer);
  QByteArray source_;
  Block* blocks_ = nullptr;
  GumboOutput* output_ = nullptr;
};

// The element's tag name, lower case (unknown tags keep their written name, lowered).
QByteArray tagName(const GumboNode* node);
const char* attribute(const GumboNode* node, const char* name);  // nullptr when absent

// Visits every element under node in document order, without recursion.
void forEachElement(GumboNode* node, const std::function<void(GumboNode*)>& visit);

}  // namespace web
