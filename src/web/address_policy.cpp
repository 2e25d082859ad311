#include "web/address_policy.h"

#include <QHostAddress>

#include "web/engine.h"

namespace web {
namespace {

bool inRange(quint32 address, quint32 network, int prefix) {
  const quint32 mask = prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
  return (address & mask) == (network & mask);
}

bool isPrivateIPv4(quint32 a) {
  return inRange(a, 0x00000000, 8)       // "this network", 0.0.0.0 included
         || inRange(a, 0x0A000000, 8)    // 10/8
         || inRange(a, 0x64400000, 10)   // 100.64/10, carrier-grade shared space
         || inRange(a, 0x7F000000, 8)    // loopback
         || inRange(a, 0xA9FE0000, 16)   // link-local
         || inRange(a, 0xAC100000, 12)   // 172.16/12
         || inRange(a, 0xC0A80000, 16);  // 192.168/16
}

bool isPrivateIPv6(const Q_IPV6ADDR& a) {
  bool zeroPrefix = true;
  for (int i = 0; i < 10; ++i) zeroPrefix = zeroPrefix && a[i] == 0;
  if (zeroPrefix && a[10] == 0xFF && a[11] == 0xFF) {  // IPv4-mapped
    return isPrivateIPv4(quint32(a[12]) << 24 | quint32(a[13]) << 16 | quint32(a[14]) << 8 | a[15]);
  }
  bool allZeroButLast =
      zeroPrefix && a[10] == 0 && a[11] == 0 && a[12] == 0 && a[13] == 0 && a[14] == 0;
  if (allZeroButLast && (a[15] == 0 || a[15] == 1)) return true;  // :: and ::1
  if ((a[0] & 0xFE) == 0xFC) return true;                         // fc00::/7 unique local
  if (a[0] == 0xFE && (a[1] & 0xC0) == 0x80) return true;         // fe80::/10 link-local
  if (a[0] == 0xFE && (a[1] & 0xC0) == 0xC0) return true;         // fec0::/10 old site-local
  return false;
}

QString bareHost(QString host) {
  host = host.toLower();
  while (host.endsWith('.')) host.chop(1);
  if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
  return host;
}

bool isAllowed(const QUrl& url, const QStringList& allowed) {
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

}  // namespace

bool isPrivateHost(const QString& rawHost) {
  const QString host = bareHost(rawHost);
  if (host == "localhost" || host.endsWith(".localhost")) return true;
  QHostAddress address;
  if (!address.setAddress(host)) return false;
  if (address.protocol() == QAbstractSocket::IPv4Protocol)
    return isPrivateIPv4(address.toIPv4Address());
  return isPrivateIPv6(address.toIPv6Address());
}

qint32 addressRefusal(const QUrl& url, const QStringList& allowedPrivateHosts, bool allowAll) {
  if (!url.isValid()) return status::kInvalidAddress;
  const QString scheme = url.scheme().toLower();
  if (scheme != "http" && scheme != "https") return status::kRefusedScheme;
  if (url.host().isEmpty()) return status::kInvalidAddress;
  if (!allowAll && isPrivateHost(url.host()) && !isAllowed(url, allowedPrivateHosts)) {
    return status::kRefusedAddress;
  }
  return 0;
}

}  // namespace web
