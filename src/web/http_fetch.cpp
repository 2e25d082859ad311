#include "web/http_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "platform/browser.h"
#include "web/engine.h"
#include "web/host_pacing.h"

namespace web {
namespace {

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
  if (const qint32 refusal = engine_.refusal(url_)) {
    QTimer::singleShot(0, this, [this, refusal] { fail(refusal); });
    return;
  }
  deadline_.start(engine_.options().requestTimeoutMs);
  request(url_);
}

void Fetch::request(const QUrl& url) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setHeader(QNetworkRequest::UserAgentHeader, engine_.userAgent());
  request.setRawHeader("Accept", kind_ == Kind::Image
                                     ? "image/*,*/*;q=0.8"
                                     : "text/html,application/xhtml+xml,image/*,*/*;q=0.8");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  if (firstBytes_ > 0)
    request.setRawHeader("Range", "bytes=0-" + QByteArray::number(firstBytes_ - 1));
  result_.finalUrl = url;
  result_.body.clear();
  reply_ = engine_.network().get(request);
  // A reader that stops early should not have Qt buffer the rest: let TCP hold it back.
  if (progress_) reply_->setReadBufferSize(16 * 1024);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &Fetch::onMetaData);
  connect(reply_, &QNetworkReply::readyRead, this, &Fetch::onReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &Fetch::onFinished);
}

// True when the finished reply was a redirect that is now being followed (or has failed).
bool Fetch::followRedirect() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
    return false;
  const QByteArray location = reply_->rawHeader("Location").trimmed();
  if (location.isEmpty()) return false;
  const QUrl target = reply_->url().resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
  QNetworkReply* old = reply_;
  reply_ = nullptr;
  old->disconnect(this);
  old->deleteLater();
  result_.finalUrl = target;
  if (++redirects_ > engine_.options().maxRedirects) {
    fail(status::kRedirectFailed);
  } else if (const qint32 refusal = engine_.refusal(target)) {
    fail(refusal == status::kRefusedScheme || refusal == status::kInvalidAddress
             ? status::kRedirectFailed
             : refusal);
  } else {
    request(target);
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
  result_.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  isImage_ = result_.contentType.trimmed().toLower().startsWith("image/");
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  // Only a body we would keep counts against the cap; redirects' bodies are dropped.
  if (length.isValid() && length.toLongLong() > limit() && (status < 300 || status >= 400) &&
      !progress_) {
    fail(status::kTooLarge);
  }
}

void Fetch::onReadyRead() {
  if (done_ || !reply_) return;
  result_.body += reply_->readAll();
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status >= 300 && status < 400) return;  // a redirect's body is dropped
  if (progress_ && progress_(result_.body)) {
    result_.stoppedEarly = true;
    result_.httpStatus = status;
    result_.finalUrl = reply_->url();
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
  result_.body += reply_->readAll();
  if (result_.body.size() > limit()) {
    result_.body.truncate(limit());
    fail(status::kTooLarge);
    return;
  }
  result_.finalUrl = reply_->url();
  result_.httpStatus = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  result_.contentType = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
  engine_.pacing().noteAnswer(result_.finalUrl, result_.httpStatus,
                              reply_->rawHeader("Retry-After"));
  const QNetworkReply::NetworkError error = reply_->error();
  // An HTTP error status is reported as that status, not as Qt's network error.
  if (error != QNetworkReply::NoError && result_.httpStatus == 0)
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
