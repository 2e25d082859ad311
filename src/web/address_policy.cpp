#include "web/address_policy.h"

#include "web/status_codes.h"

namespace web {

bool isAllowedHost(const QUrl& url, const QStringList& allowed) {
  const QString host = bareHost(url.host());
  const int port = url.port(url.scheme() == "https" ? 443 : 80);
  for (const QString& entry : allowed) {
    QString entryHost = entry.trimmed().toLower();
    int entryPort = -1;
    const int colon = entryHost.lastIndexOf(':');
    const int bracket = entryHost.lastIndexOf(']');
    // "host:port" or "[v6]:port"; a bare IPv6 address has colons but no port.
    if (colon > 0 && (bracket >= 0 ? colon > bracket : entryHost.count(':') == 1)) {
      bool ok = false;
      entryPort = entryHost.mid(colon + 1).toInt(&ok);
      if (!ok) continue;
      entryHost.truncate(colon);
    }
    if (bareHost(entryHost) == host && (entryPort < 0 || entryPort == port)) return true;
  }
  return false;
}

qint32 addressRefusal(const QUrl& url, const QStringList& allowedPrivateHosts, bool allowAll) {
  if (!url.isValid() || url.toEncoded().size() > kMaxAddressLength) return status::kInvalidAddress;
  const QString scheme = url.scheme().toLower();
  if (scheme != "http" && scheme != "https") return status::kRefusedScheme;
  const QString host = url.host(QUrl::FullyEncoded);
  if (host.isEmpty() || bareHost(host).size() > kMaxHostLength) return status::kInvalidAddress;
  if (!allowAll && isPrivateHost(url.host()) && !isAllowedHost(url, allowedPrivateHosts)) {
    return status::kRefusedAddress;
  }
  return 0;
}

}  // namespace web
