// A document built in the test from its parts: markup, text, images, links, frames, address.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/document.h"
#include "platform/run_time_error.h"

namespace fake {

class FakeDocument : public platform::Document {
 public:
  // Builders, chainable: FakeDocument().withUrl("http://a/").withImage("http://a/x.jpg", 200, 100)
  FakeDocument& withUrl(std::string url) { return set(url_, std::move(url)); }
  FakeDocument& withHtml(std::string html) { return set(html_, std::move(html)); }
  FakeDocument& withText(std::string text) { return set(text_, std::move(text)); }
  FakeDocument& withImage(std::string src, int w, int h) { return add(images_, {src, src, w, h}); }
  FakeDocument& withLink(std::string href) { return add(links_, std::move(href)); }
  FakeDocument& withLinks(const std::vector<std::string>& hrefs) {
    links_.insert(links_.end(), hrefs.begin(), hrefs.end());
    return *this;
  }
  FakeDocument& withFrame(std::string location) { return add(frames_, std::move(location)); }
  // A document whose documentElement is missing: its reads fail with error 91.
  FakeDocument& withoutDocumentElement() { return set(hasDocumentElement_, false); }
  // A document whose writes are not parsed in time: the content stays as it
  // stands, as the engine's document keeps the page as loaded.
  FakeDocument& keepingWritesAsLoaded() { return set(keepsWritesAsLoaded_, true); }

  std::string innerHTML() override { return element(html_); }
  std::string innerText() override { return element(text_); }
  int imageCount() override { return static_cast<int>(images_.size()); }
  platform::ImageElement image(int index) override { return at(images_, index); }
  int linkCount() override { return static_cast<int>(links_.size()); }
  std::string link(int index) override { return at(links_, index); }
  int frameCount() override { return static_cast<int>(frames_.size()); }
  std::string frameLocation(int index) override { return at(frames_, index); }
  std::string url() override { return url_; }
  void close() override { ++closeCalls; }
  // Nothing to read until written again, as in the engine.
  void clear() override {
    ++clearCalls;
    html_.clear();
    text_.clear();
    images_.clear();
    links_.clear();
    frames_.clear();
    hasDocumentElement_ = false;
  }
  // The fake does not parse: the markup becomes the document's innerHTML, the rest stays.
  platform::WriteOutcome write(const std::string& markup) override {
    writes.push_back(markup);
    if (keepsWritesAsLoaded_) return platform::WriteOutcome::KeptAsLoaded;
    html_ = markup;
    hasDocumentElement_ = true;
    return platform::WriteOutcome::Written;
  }
  void setOnClick(std::function<bool()> handler) override { onClick = std::move(handler); }

  int closeCalls = 0;
  int clearCalls = 0;
  std::vector<std::string> writes;
  std::function<bool()> onClick;

  // Parts, public so a test can change the document while the logic reads it.
  std::string url_;
  std::string html_;
  std::string text_;
  std::vector<platform::ImageElement> images_;
  std::vector<std::string> links_;
  std::vector<std::string> frames_;
  bool hasDocumentElement_ = true;
  bool keepsWritesAsLoaded_ = false;

 private:
  template <class T>
  FakeDocument& set(T& part, T value) {
    part = std::move(value);
    return *this;
  }
  template <class T>
  FakeDocument& add(std::vector<T>& parts, T value) {
    parts.push_back(std::move(value));
    return *this;
  }
  std::string element(const std::string& part) const {
    if (!hasDocumentElement_) throw platform::objectNotSet();
    return part;
  }
  template <class T>
  static T at(const std::vector<T>& items, int index) {
    if (index < 0 || index >= static_cast<int>(items.size())) throw platform::objectNotSet();
    return items[static_cast<std::size_t>(index)];
  }
};

}  // namespace fake
