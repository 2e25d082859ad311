#include "web/destination.h"

#include <QHostInfo>
#include <QNetworkProxyFactory>
#include <QTimer>

#include "platform/browser.h"
#include "web/address_policy.h"
#include "web/engine.h"

namespace web {
namespace {

bool throughProxy(const QUrl& url) {
  const QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
  return !proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy &&
         proxies.first().type() != QNetworkProxy::DefaultProxy;
}

Destination pinned(const QUrl& url, const QList<QHostAddress>& answers) {
  Destination destination;
  if (answers.isEmpty()) {
    destination.refusal = platform::kServerNotFound;
    return destination;
  }
  for (const QHostAddress& answer : answers) {
    if (isPrivateAddress(answer)) {
      destination.refusal = status::kRefusedAddress;
      return destination;
    }
  }
  destination.connectUrl = url;
  destination.connectUrl.setHost(answers.first().toString());
  destination.hostHeader = url.host(QUrl::FullyEncoded).toLatin1();
  if (url.port() >= 0) destination.hostHeader += ':' + QByteArray::number(url.port());
  destination.verifyName = url.host();
  return destination;
}

}  // namespace

void findDestination(Engine& engine, const QUrl& url, bool ownRequest, QObject* context,
                     std::function<void(const Destination&)> done) {
  const EngineOptions& options = engine.options();
  Destination destination;
  destination.connectUrl = url;
  destination.refusal = engine.refusal(url, ownRequest);
  const bool allowed = options.allowAllPrivateHosts ||
                       (ownRequest && isAllowedHost(url, options.allowedPrivateHosts));
  const bool literal = !QHostAddress(url.host()).isNull();
  if (destination.refusal || allowed || literal || throughProxy(url)) {
    QTimer::singleShot(0, context, [destination, done = std::move(done)] { done(destination); });
    return;
  }
  if (options.resolver) {
    const QList<QHostAddress> answers = options.resolver(url.host());
    QTimer::singleShot(0, context,
                       [url, answers, done = std::move(done)] { done(pinned(url, answers)); });
    return;
  }
  QHostInfo::lookupHost(url.host(), context, [url, done = std::move(done)](const QHostInfo& info) {
    done(pinned(url, info.addresses()));
  });
}

}  // namespace web
