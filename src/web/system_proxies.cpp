#include "web/system_proxies.h"

#include <QElapsedTimer>

namespace web {
namespace {

// What the answer can depend on: the kind of connection, where it goes, and to which service.
QString keyOf(const QNetworkProxyQuery& query) {
  const QUrl url = query.url();
  return QString::number(query.queryType()) + QLatin1Char(' ') + url.scheme() +
         QLatin1String("://") + (url.isEmpty() ? query.peerHostName() : url.host()) +
         QLatin1Char(':') + QString::number(url.isEmpty() ? query.peerPort() : url.port()) +
         QLatin1Char(' ') + query.protocolTag();
}

}  // namespace

SystemProxies::SystemProxies(Lookup lookup, Clock clock)
    : lookup_(lookup ? std::move(lookup) : Lookup(&QNetworkProxyFactory::systemProxyForQuery)),
      clock_(std::move(clock)) {
  if (!clock_) {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock_ = [started] { return started->elapsed(); };
  }
}

QList<QNetworkProxy> SystemProxies::queryProxy(const QNetworkProxyQuery& query) {
  const QString key = keyOf(query);
  const qint64 now = clock_();
  QMutexLocker lock(&mutex_);
  const auto found = answers_.constFind(key);
  if (found != answers_.constEnd() && now - found->askedMs < kKeepMs) return found->proxies;
  QList<QNetworkProxy> proxies = lookup_(query);
  if (answers_.size() >= kMaxAnswers) answers_.clear();
  answers_.insert(key, Answer{proxies, now});
  return proxies;
}

}  // namespace web
