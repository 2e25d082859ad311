#include "desktop/qt_image_transfer.h"

#include <QEventLoop>
#include <QUrl>
#include <algorithm>

#include "platform/browser.h"
#include "web/engine.h"
#include "web/http_fetch.h"
#include "web/image_probe.h"
#include "web/status_codes.h"

namespace desktop {
namespace {

std::string reasonFor(qint32 status, const std::string& address) {
  switch (status) {
    case web::status::kRefusedScheme:
    case web::status::kInvalidAddress:
      return "unsupported address: " + address;
    case web::status::kRefusedAddress:
      return "refused address: " + address;
    case web::status::kTimedOut:
      return "timed out";
    case web::status::kTooLarge:
      return "larger than the size limit";
    case web::status::kRedirectFailed:
      return "too many or bad redirects";
    case platform::kServerNotFound:
      return "server not found";
    default:
      if (status > 0) return "HTTP status " + std::to_string(status);
      return "download failed";
  }
}

}  // namespace

struct QtImageTransfer::Waiting {
  explicit Waiting(web::Fetch* f) : fetch(f) {}
  web::Fetch* fetch;
  QEventLoop loop;
  bool cancelled = false;
};

void QtImageTransfer::cancel() {
  for (Waiting* waiting : waiting_) {
    waiting->cancelled = true;
    waiting->fetch->abort();
    waiting->loop.quit();
  }
}

platform::TransferResult QtImageTransfer::fetch(const std::string& address) {
  platform::TransferResult result;
  web::Fetch fetch(engine_, QUrl(QString::fromStdString(address), QUrl::StrictMode),
                   web::Fetch::Kind::Image);
  Waiting waiting(&fetch);
  bool finished = false;
  QObject::connect(&fetch, &web::Fetch::finished, &waiting.loop, [&] {
    finished = true;
    waiting.loop.quit();
  });
  waiting_.push_back(&waiting);
  fetch.start();
  waiting.loop.exec(QEventLoop::AllEvents);
  waiting_.erase(std::find(waiting_.begin(), waiting_.end(), &waiting));

  const web::FetchResult& reply = fetch.result();
  const qint32 status = web::navigationStatus(reply);
  if (waiting.cancelled) {
    result.error = "cancelled";
  } else if (!finished) {  // the program is ending and took the loop with it
    result.error = "interrupted";
  } else if (status != 0 || reply.httpStatus < 200 || reply.httpStatus >= 300) {
    result.error = reasonFor(status ? status : reply.httpStatus, address);
  } else if (const QByteArray format = web::webImageFormatOf(reply.body); format.isEmpty()) {
    result.error = "not a picture";
  } else {
    result.ok = true;
    result.bytes.assign(reply.body.constData(), static_cast<std::size_t>(reply.body.size()));
    result.format = format.toStdString();
  }
  return result;
}

}  // namespace desktop
