// A document built in the test from its parts: markup, text, images, links, frames, address.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/document.h"

namespace fake {

class FakeDocument : public platform::Document {
 public:
  FakeDocument() = default;

  // Builders, chainable: FakeDocument().withUrl("http://a/").withImage("http://a/x.jpg", 200, 100)
  FakeDocument& withUrl(std::string url);
  FakeDocument& withHtml(std::string html);
  FakeDocument& withText(std::string text);
  FakeDocument& withImage(std::string src, int width, int height);
  FakeDocument& withLink(std::string href);
  FakeDocument& withLinks(const std::vector<std::string>& hrefs);
  FakeDocument& withFrame(std::string location);
  // A document whose documentElement is missing: its reads fail with error 91.
  FakeDocument& withoutDocumentElement();

  std::string innerHTML() override;
  std::string innerText() override;
  int imageCount() override;
  platform::ImageElement image(int index) override;
  int linkCount() override;
  std::string link(int index) override;
  int frameCount() override;
  std::string frameLocation(int index) override;
  std::string url() override { return url_; }
  void close() override { ++closeCalls; }
  void clear() override;
  void write(const std::string& markup) override;
  void setOnClick(std::function<bool()> handler) override { onClick = std::move(handler); }

  // What happened to it, for the test to check.
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
};

}  // namespace fake
