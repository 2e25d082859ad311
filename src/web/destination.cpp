#include "web/destination.h"

#include <QHostInfo>
#include <QNetworkProxyFactory>
#include <QTimer>
#include <algorithm>

#include "platform/browser.h"
#include "web/address_policy.h"
#include "web/engine.h"
#include "web/status_codes.h"

namespace web {
namespace {

bool throughProxy(const QUrl& url) {
  const QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
  return !proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy &&
         proxies.first().type() != QNetworkProxy::DefaultProxy;
}

bool anyPrivate(const QList<QHostAddress>& answers) {
  return std::any_of(answers.begin(), answers.end(), isPrivateAddress);
}

Destination pinned(const QUrl& url, const QList<QHostAddress>& answers) {
  Destination destination;
  if (answers.isEmpty()) {
    destination.refusal = platform::kServerNotFound;
    return destination;
  }
  if (anyPrivate(answers)) {
    destination.refusal = status::kRefusedAddress;
    return destination;
  }
  destination.connectUrl = url;
  destination.connectUrl.setHost(answers.first().toString());
  destination.hostHeader = url.host(QUrl::FullyEncoded).toLatin1();
  if (url.port() >= 0) destination.hostHeader += ':' + QByteArray::number(url.port());
  destination.verifyName = url.host();
  return destination;
}

// The proxy connects, by name: refused when our own answers name a private address; a name we
// cannot resolve is the proxy's to resolve (it may see names we do not).
Destination proxied(const QUrl& url, const QList<QHostAddress>& answers) {
  Destination destination;
  destination.connectUrl = url;
  if (anyPrivate(answers)) destination.refusal = status::kRefusedAddress;
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
  if (destination.refusal || allowed || literal) {
    QTimer::singleShot(0, context, [destination, done = std::move(done)] { done(destination); });
    return;
  }
  const auto judge = throughProxy(url) ? proxied : pinned;
  if (options.resolver) {
    const QList<QHostAddress> answers = options.resolver(url.host());
    QTimer::singleShot(
        0, context, [url, answers, judge, done = std::move(done)] { done(judge(url, answers)); });
    return;
  }
  QHostInfo::lookupHost(url.host(), context,
                        [url, judge, done = std::move(done)](const QHostInfo& info) {
                          done(judge(url, info.addresses()));
                        });
}

}  // namespace web
