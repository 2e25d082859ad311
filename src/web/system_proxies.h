// The system's proxy settings (http_proxy, https_proxy, no_proxy or the desktop's), kept for a
// minute per scheme, host and port. Asking the system costs the proxy library a read of the
// services database, and each fetch asks twice (the address check, then the network stack).
#pragma once

#include <QHash>
#include <QMutex>
#include <QNetworkProxyFactory>
#include <functional>

namespace web {

class SystemProxies : public QNetworkProxyFactory {
 public:
  using Lookup = std::function<QList<QNetworkProxy>(const QNetworkProxyQuery&)>;
  using Clock = std::function<qint64()>;  // milliseconds, never going back

  static constexpr qint64 kKeepMs = 60000;
  static constexpr int kMaxAnswers = 256;

  // By default the system's answers and a steady clock.
  explicit SystemProxies(Lookup lookup = {}, Clock clock = {});

  QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

 private:
  struct Answer {
    QList<QNetworkProxy> proxies;
    qint64 askedMs = 0;
  };
  Lookup lookup_;
  Clock clock_;
  QMutex mutex_;  // the network stack asks from its own thread too
  QHash<QString, Answer> answers_;
};

}  // namespace web
