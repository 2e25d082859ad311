#include "support/fake_browser.h"

namespace fake {

void FakeBrowser::complete(std::shared_ptr<FakeDocument> document, std::string url) {
  if (document) document_ = std::move(document);
  if (url.empty()) url = document_->url();
  if (events_.documentComplete) events_.documentComplete(url);
}

bool FakeBrowser::fail(std::int32_t status, std::string url, std::string frame) {
  bool cancel = false;
  if (events_.navigateError) events_.navigateError(url, frame, status, cancel);
  return cancel;
}

bool FakeBrowser::requestNewWindow() {
  bool cancel = false;
  if (events_.newWindow2) events_.newWindow2(cancel);
  return cancel;
}

}  // namespace fake
