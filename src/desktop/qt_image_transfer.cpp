#include "desktop/qt_image_transfer.h"

#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "app/version.h"

namespace desktop {

QtImageTransfer::QtImageTransfer() {
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  network_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void QtImageTransfer::cancel() {
  if (reply_) reply_->abort();
}

platform::TransferResult QtImageTransfer::fetch(const std::string& address) {
  platform::TransferResult result;
  const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    result.error = "unsupported address: " + address;
    return result;
  }
  if (reply_) {  // a fetch is already waiting further down the stack
    result.error = "another transfer is in progress";
    return result;
  }

  QNetworkRequest request(url);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QStringLiteral("Quorel/%1.%2").arg(kVersionMajor).arg(kVersionMinor));
  QNetworkReply* reply = network_.get(request);
  reply_ = reply;

  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  bool timedOut = false, tooLarge = false;
  QObject::connect(&timeout, &QTimer::timeout, reply, [&] {
    timedOut = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                   [&](qint64 received, qint64 total) {
                     if (received > maxBytes_ || total > maxBytes_) {
                       tooLarge = true;
                       reply->abort();
                     }
                   });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  timeout.start(timeoutMs_);
  if (!reply->isFinished()) loop.exec(QEventLoop::AllEvents);
  timeout.stop();

  reply->disconnect();
  if (!reply->isFinished()) {  // the program is ending and took the loop with it
    reply->abort();
    result.error = "interrupted";
  } else if (timedOut) {
    result.error = "timed out";
  } else if (tooLarge) {
    result.error = "larger than the size limit";
  } else if (reply->error() == QNetworkReply::NoError ||
             (reply->error() >= QNetworkReply::ContentAccessDenied &&
              reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400)) {
    // An HTTP error page is still a reply; the caller decides what its bytes are worth.
    const QByteArray body = reply->readAll();
    result.ok = true;
    result.bytes.assign(body.constData(), static_cast<std::size_t>(body.size()));
  } else {
    result.error = reply->errorString().toStdString();
  }
  reply_ = nullptr;
  reply->deleteLater();
  return result;
}

}  // namespace desktop
