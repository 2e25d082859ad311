#include "web/http_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "platform/browser.h"
#include "web/destination.h"
#include "web/engine.h"
#include "web/engine_limits.h"
#include "web/host_pacing.h"
#include "web/status_codes.h"

namespace web {
namespace {

bool isRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

qint32 statusForNetworkError(QNetworkReply::NetworkError error) {
  switch (error) {
    case QNetworkReply::NoError:
      return 0;
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownProxyError:
      return platform::kServerNotFound;
    case QNetworkReply::ContentNotFoundError:
      return platform::kObjectNotFound;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
      return status::kTimedOut;
    case QNetworkReply::SslHandshakeFailedError:
      return status::kSecurityFailure;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
      return status::kRedirectFailed;
    case QNetworkReply::ProtocolUnknownError:
      return status::kRefusedScheme;
    default:
      return status::kDownloadFailed;
  }
}

}  // namespace

qint32 navigationStatus(const FetchResult& result) {
  if (result.error != 0) return result.error;
  if (result.httpStatus >= 400) return result.httpStatus;
  return 0;
}

Fetch::Fetch(Engine& engine, const QUrl& url, Kind kind, QObject* parent)
    : QObject(parent), engine_(engine), url_(url), kind_(kind) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { fail(status::kTimedOut); });
  result_.finalUrl = url;
}

Fetch::~Fetch() { abort(); }

qint64 Fetch::limit() const {
  if (limitOverride_ >= 0) return limitOverride_;
  const EngineOptions& options = engine_.options();
  return kind_ == Kind::Image || isImage_ ? options.imageLimitBytes : options.pageLimitBytes;
}

void Fetch::start() {
  deadline_.start(engine_.options().requestTimeoutMs);
  request(url_, ownRequest_);
}

void Fetch::request(const QUrl& url, bool ownRequest) {
  current_ = url;
  result_.finalUrl = url;
  result_.body.clear();
  findDestination(engine_, url, ownRequest, this, [this, url](const Destination& destination) {
    if (done_) return;
    if (!destination.refusal) {
      send(url, destination);
    } else if (redirects_ > 0 && (destination.refusal == status::kRefusedScheme ||
                                  destination.refusal == status::kInvalidAddress)) {
      fail(status::kRedirectFailed);
    } else {
      fail(destination.refusal);
    }
  });
}

void Fetch::send(const QUrl& url, const Destination& destination) {
  QNetworkRequest request(destination.connectUrl);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setHeader(QNetworkRequest::UserAgentHeader, engine_.userAgent());
  request.setRawHeader("Accept", kind_ == Kind::Image
                                     ? "image/*,*/*;q=0.8"
                                     : "text/html,application/xhtml+xml,image/*,*/*;q=0.8");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  if (firstBytes_ > 0)
    request.setRawHeader("Range", "bytes=0-" + QByteArray::number(firstBytes_ - 1));
  if (!destination.hostHeader.isEmpty()) {
    request.setRawHeader("Host", destination.hostHeader);
    request.setPeerVerifyName(destination.verifyName);
    // HTTP/2 would name the checked address instead of the host.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
  }
  // Cookies belong to the name, not to the address connected to.
  request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
  request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
  if (QNetworkCookieJar* jar = engine_.network().cookieJar()) {
    const QList<QNetworkCookie> cookies = jar->cookiesForUrl(url);
    if (!cookies.isEmpty())
      request.setHeader(QNetworkRequest::CookieHeader, QVariant::fromValue(cookies));
  }
  reply_ = engine_.network().get(request);
  reply_->setReadBufferSize(progress_ ? kProgressReadBufferBytes : kReadBufferBytes);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &Fetch::onMetaData);
  connect(reply_, &QNetworkReply::readyRead, this, &Fetch::onReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &Fetch::onFinished);
}

// True when the reply is a redirect that is now being followed (or has failed); its body is
// never read.
bool Fetch::followRedirect() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (!isRedirect(status)) return false;
  const QByteArray location = reply_->rawHeader("Location").trimmed();
  if (location.isEmpty()) return false;
  const QUrl target = current_.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
  QNetworkReply* old = reply_;
  reply_ = nullptr;
  old->disconnect(this);
  old->abort();
  old->deleteLater();
  result_.finalUrl = target;
  if (++redirects_ > engine_.options().maxRedirects) {
    fail(status::kRedirectFailed);
  } else {
    request(target, false);  // a hop the server chose: never on the allow-list
  }
  return true;
}

void Fetch::abort() {
  done_ = true;
  deadline_.stop();
  if (reply_) {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
}

void Fetch::onMetaData() {
  if (done_ || !reply_) return;
  if (QNetworkCookieJar* jar = engine_.network().cookieJar()) {
    const QVariant cookies = reply_->header(QNetworkRequest::SetCookieHeader);
    if (cookies.isValid()) jar->setCookiesFromUrl(cookies.value<QList<QNetworkCookie>>(), current_);
  }
  if (followRedirect()) return;
  result_.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  isImage_ = result_.contentType.trimmed().toLower().startsWith("image/");
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  if (length.isValid() && length.toLongLong() > limit() && !progress_) {
    fail(status::kTooLarge);
  }
}

void Fetch::onReadyRead() {
  if (done_ || !reply_) return;
  result_.body += reply_->read(limit() + 1 - result_.body.size());
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (progress_ && progress_(result_.body)) {
    result_.stoppedEarly = true;
    result_.httpStatus = status;
    result_.finalUrl = current_;
    finish();
    return;
  }
  if (result_.body.size() > limit()) {
    result_.body.truncate(limit());
    fail(status::kTooLarge);
  }
}

void Fetch::onFinished() {
  if (done_ || !reply_) return;
  if (followRedirect()) return;
  result_.body += reply_->read(limit() + 1 - result_.body.size());
  if (result_.body.size() > limit()) {
    result_.body.truncate(limit());
    fail(status::kTooLarge);
    return;
  }
  result_.finalUrl = current_;
  result_.httpStatus = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  result_.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  engine_.pacing().noteAnswer(result_.finalUrl, result_.httpStatus,
                              reply_->rawHeader("Retry-After"));
  const QNetworkReply::NetworkError error = reply_->error();
  // An HTTP error status is reported as that status; any other error (a body cut short, a
  // reset, a failed decompression) fails the transfer, whatever status came first.
  if (error != QNetworkReply::NoError && result_.httpStatus < 400)
    result_.error = statusForNetworkError(error);

  if (!result_.error && progress_) progress_(result_.body);
  finish();
}

void Fetch::fail(qint32 error) {
  if (done_) return;
  result_.error = error;
  finish();
}

void Fetch::finish() {
  if (done_) return;
  abort();
  emit finished();
}

}  // namespace web
