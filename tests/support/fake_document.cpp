#include "support/fake_document.h"

namespace fake {

FakeDocument& FakeDocument::withLinks(const std::vector<std::string>& hrefs) {
  links_.insert(links_.end(), hrefs.begin(), hrefs.end());
  return *this;
}

void FakeDocument::clear() {
  ++clearCalls;
  html_.clear();
  text_.clear();
  images_.clear();
  links_.clear();
  frames_.clear();
  hasDocumentElement_ = false;  // as in the engine: nothing to read until written again
}

void FakeDocument::write(const std::string& markup) {
  // The fake does not parse: the markup becomes the document's innerHTML, the rest stays.
  writes.push_back(markup);
  html_ = markup;
  hasDocumentElement_ = true;
}

}  // namespace fake
