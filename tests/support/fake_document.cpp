#include "support/fake_document.h"

#include "platform/run_time_error.h"

namespace fake {

FakeDocument& FakeDocument::withUrl(std::string url) {
  url_ = std::move(url);
  return *this;
}
FakeDocument& FakeDocument::withHtml(std::string html) {
  html_ = std::move(html);
  return *this;
}
FakeDocument& FakeDocument::withText(std::string text) {
  text_ = std::move(text);
  return *this;
}
FakeDocument& FakeDocument::withImage(std::string src, int width, int height) {
  images_.push_back({src, src, width, height});
  return *this;
}
FakeDocument& FakeDocument::withLink(std::string href) {
  links_.push_back(std::move(href));
  return *this;
}
FakeDocument& FakeDocument::withLinks(const std::vector<std::string>& hrefs) {
  links_.insert(links_.end(), hrefs.begin(), hrefs.end());
  return *this;
}
FakeDocument& FakeDocument::withFrame(std::string location) {
  frames_.push_back(std::move(location));
  return *this;
}
FakeDocument& FakeDocument::withoutDocumentElement() {
  hasDocumentElement_ = false;
  return *this;
}

std::string FakeDocument::innerHTML() {
  if (!hasDocumentElement_) throw platform::objectNotSet();
  return html_;
}

std::string FakeDocument::innerText() {
  if (!hasDocumentElement_) throw platform::objectNotSet();
  return text_;
}

int FakeDocument::imageCount() { return static_cast<int>(images_.size()); }

platform::ImageElement FakeDocument::image(int index) {
  if (index < 0 || index >= imageCount()) throw platform::objectNotSet();
  return images_[static_cast<std::size_t>(index)];
}

int FakeDocument::linkCount() { return static_cast<int>(links_.size()); }

std::string FakeDocument::link(int index) {
  if (index < 0 || index >= linkCount()) throw platform::objectNotSet();
  return links_[static_cast<std::size_t>(index)];
}

int FakeDocument::frameCount() { return static_cast<int>(frames_.size()); }

std::string FakeDocument::frameLocation(int index) {
  if (index < 0 || index >= frameCount()) throw platform::objectNotSet();
  return frames_[static_cast<std::size_t>(index)];
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
