// A browser whose events the test delivers: complete with a document, fail with a status,
// ask for a new window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/run_time_error.h"
#include "support/fake_controls.h"
#include "support/fake_document.h"

namespace fake {

class FakeBrowser : public FakeControl, public platform::Browser {
 public:
  using FakeControl::FakeControl;

  void navigate2(const std::string& url) override { navigations.push_back(url); }
  void navigateOwn(const std::string& url) override {
    navigations.push_back(url);
    ownNavigations.push_back(url);
  }
  bool silent() const override { return silent_; }
  void setSilent(bool silent) override { silent_ = silent; }
  void quit() override {
    ++quitCalls;
    if (failQuit) throw platform::objectNotSet();
  }
  platform::Document& document() override { return *document_; }
  void setEvents(Events events) override { events_ = std::move(events); }

  // The test's side. complete() installs the document (if given) and raises DocumentComplete
  // with the document's URL (or url when given).
  void complete(std::shared_ptr<FakeDocument> document = nullptr, std::string url = {}) {
    if (document) document_ = std::move(document);
    if (events_.documentComplete) events_.documentComplete(url.empty() ? document_->url() : url);
  }
  // A frame's DocumentComplete, the page's document staying as it is.
  void completeFrame(const std::string& frameUrl) {
    if (events_.documentComplete) events_.documentComplete(frameUrl);
  }
  // NavigateError and NewWindow2 return the Cancel flag the handler left.
  bool fail(std::int32_t status, std::string url = {}, std::string frame = {}) {
    bool cancel = false;
    if (events_.navigateError) events_.navigateError(url, frame, status, cancel);
    return cancel;
  }
  bool requestNewWindow() {
    bool cancel = false;
    if (events_.newWindow2) events_.newWindow2(cancel);
    return cancel;
  }

  FakeDocument& fakeDocument() { return *document_; }
  void setDocument(std::shared_ptr<FakeDocument> document) { document_ = std::move(document); }

  std::vector<std::string> navigations;  // all of them, the program's own included
  std::vector<std::string> ownNavigations;
  int quitCalls = 0;
  bool failQuit = false;  // quit() fails, as a control in a bad state can

 private:
  bool silent_ = false;
  Events events_;
  // As the engine's: an empty page until the first navigation completes.
  std::shared_ptr<FakeDocument> document_ = std::make_shared<FakeDocument>(
      FakeDocument().withUrl("about:blank").withHtml("<head></head><body></body>"));
};

}  // namespace fake
