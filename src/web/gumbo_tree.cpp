#include "web/gumbo_tree.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace web {

// Every allocation carries links to its neighbours, so a block can be freed alone (gumbo
// frees temporaries while parsing) and whatever is left is freed in one loop at the end.
struct alignas(std::max_align_t) GumboTree::Block {
  Block* previous;
  Block* next;
};

void* GumboTree::allocate(void* self, size_t size) {
  auto* tree = static_cast<GumboTree*>(self);
  auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
  if (!block) std::abort();  // gumbo cannot recover from a failed allocation
  block->previous = nullptr;
  block->next = tree->blocks_;
  if (tree->blocks_) tree->blocks_->previous = block;
  tree->blocks_ = block;
  return block + 1;
}

void GumboTree::release(void* self, void* pointer) {
  if (!pointer) return;
  auto* tree = static_cast<GumboTree*>(self);
  Block* block = static_cast<Block*>(pointer) - 1;
  if (block->previous)
    block->previous->next = block->next;
  else
    tree->blocks_ = block->next;
  if (block->next) block->next->previous = block->previous;
  std::free(block);
}

GumboTree::GumboTree(QByteArray utf8) : source_(std::move(utf8)) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // hostile pages would otherwise fill memory with parse errors
  options.allocator = &GumboTree::allocate;
  options.deallocator = &GumboTree::release;
  options.userdata = this;
  output_ = gumbo_parse_with_options(&options, source_.constData(), size_t(source_.size()));
}

GumboTree::~GumboTree() {
  while (blocks_) {
    Block* next = blocks_->next;
    std::free(blocks_);
    blocks_ = next;
  }
}

QByteArray tagName(const GumboNode* node) {
  const GumboElement& element = node->v.element;
  if (element.tag != GUMBO_TAG_UNKNOWN) {
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
      GumboStringPiece piece{gumbo_normalized_tagname(element.tag), 0};
      piece.length = std::strlen(piece.data);
      if (const char* svg = gumbo_normalize_svg_tagname(&piece)) return svg;
    }
    return gumbo_normalized_tagname(element.tag);
  }
  GumboStringPiece piece = element.original_tag;
  gumbo_tag_from_original_text(&piece);
  if (!piece.data || piece.length == 0) return "unknown";
  return QByteArray(piece.data, qsizetype(piece.length)).toLower();
}

const char* attribute(const GumboNode* node, const char* name) {
  const GumboAttribute* found = gumbo_get_attribute(&node->v.element.attributes, name);
  return found ? found->value : nullptr;
}

void forEachElement(GumboNode* node, const std::function<void(GumboNode*)>& visit) {
  if (!node) return;
  std::vector<GumboNode*> stack{node};
  while (!stack.empty()) {
    GumboNode* current = stack.back();
    stack.pop_back();
    const GumboVector* children = nullptr;
    if (current->type == GUMBO_NODE_ELEMENT || current->type == GUMBO_NODE_TEMPLATE) {
      visit(current);
      children = &current->v.element.children;
    } else if (current->type == GUMBO_NODE_DOCUMENT) {
      children = &current->v.document.children;
    }
    if (!children) continue;
    for (unsigned i = children->length; i-- > 0;)
      stack.push_back(static_cast<GumboNode*>(children->data[i]));
  }
}

}  // namespace web
