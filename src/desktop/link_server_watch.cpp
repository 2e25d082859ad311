#include "desktop/link_server_watch.h"

#include <QUrl>
#include <cstdio>

#include "web/web_browser.h"

namespace desktop {

LinkServerWatch::LinkServerWatch(web::WebBrowser& browser, QString host,
                                 std::function<void(const QString&)> say)
    : QObject(&browser), host_(std::move(host)), say_(std::move(say)) {
  if (!say_) {
    say_ = [](const QString& line) {
      std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
      std::fflush(stderr);
    };
  }
  connect(&browser, &web::WebBrowser::navigateError, this,
          [this](const QString& url, const QString&, qint32, bool*) {
            if (said_ || !fromLinkServer(url) || ++failures_ < kTries) return;
            said_ = true;
            say_(QStringLiteral("quorel: the link server at %1 does not answer, so no pictures "
                                "come; see quorel-vendor(1) for how to start it")
                     .arg(host_));
          });
  connect(&browser, &web::WebBrowser::documentComplete, this, [this](const QString& url) {
    if (fromLinkServer(url)) failures_ = 0;
  });
}

bool LinkServerWatch::fromLinkServer(const QString& url) const {
  const QUrl address(url);
  QString at = address.host();
  if (host_.contains(QLatin1Char(':'))) at += QLatin1Char(':') + QString::number(address.port(80));
  return !at.isEmpty() && at.compare(host_, Qt::CaseInsensitive) == 0;
}

}  // namespace desktop
