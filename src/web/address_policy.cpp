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
  return inRange(a, 0x00000000, 8)      // "this network", 0.0.0.0 included
         || inRange(a, 0x0A000000, 8)   // 10/8
         || inRange(a, 0x64400000, 10)  // 100.64/10, carrier-grade shared space
         || inRange(a, 0x7F000000, 8)   // loopback
         || inRange(a, 0xA9FE0000, 16)  // link-local
         || inRange(a, 0xAC100000, 12)  // 172.16/12
         || inRange(a, 0xC0000000, 24)  // 192.0.0/24, protocol assignments
         || inRange(a, 0xC0A80000, 16)  // 192.168/16
         || inRange(a, 0xC6120000, 15)  // 198.18/15, benchmarking
         || inRange(a, 0xE0000000, 4)   // multicast
         || inRange(a, 0xF0000000, 4);  // reserved, broadcast included
}

quint32 ipv4At(const Q_IPV6ADDR& a, int at) {
  return quint32(a[at]) << 24 | quint32(a[at + 1]) << 16 | quint32(a[at + 2]) << 8 | a[at + 3];
}

bool startsWith(const Q_IPV6ADDR& a, std::initializer_list<quint8> prefix) {
  int i = 0;
  for (const quint8 byte : prefix)
    if (a[i++] != byte) return false;
  return true;
}

bool isPrivateIPv6(const Q_IPV6ADDR& a) {
  // ::/96 (unspecified, loopback, the old IPv4-compatible form) and ::ffff:0:0/96 (mapped).
  if (startsWith(a, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})) return true;
  if (startsWith(a, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}))
    return isPrivateIPv4(ipv4At(a, 12));
  if (startsWith(a, {0, 0x64, 0xFF, 0x9B, 0, 0, 0, 0, 0, 0, 0, 0}))  // NAT64
    return isPrivateIPv4(ipv4At(a, 12));
  if (startsWith(a, {0, 0x64, 0xFF, 0x9B, 0, 1})) return true;                  // local-use NAT64
  if (startsWith(a, {0x20, 0x02})) return isPrivateIPv4(ipv4At(a, 2));          // 6to4
  if (startsWith(a, {0x20, 0x01, 0, 0})) return isPrivateIPv4(~ipv4At(a, 12));  // Teredo client
  if (startsWith(a, {0x01, 0, 0, 0, 0, 0, 0, 0})) return true;                  // 100::/64 discard
  if ((a[0] & 0xFE) == 0xFC) return true;                  // fc00::/7 unique local
  if (a[0] == 0xFE && (a[1] & 0x80) == 0x80) return true;  // fe80::/10 link-local, fec0::/10
  return a[0] == 0xFF;                                     // multicast
}

QString bareHost(QString host) {
  host = host.toLower();
  while (host.endsWith('.')) host.chop(1);
  if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
  return host;
}

}  // namespace

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

bool isPrivateAddress(const QHostAddress& address) {
  if (address.protocol() == QAbstractSocket::IPv4Protocol)
    return isPrivateIPv4(address.toIPv4Address());
  if (address.protocol() == QAbstractSocket::IPv6Protocol)
    return isPrivateIPv6(address.toIPv6Address());
  return true;  // no address at all
}

bool isPrivateHost(const QString& rawHost) {
  const QString host = bareHost(rawHost);
  if (host == "localhost" || host.endsWith(".localhost")) return true;
  QHostAddress address;
  if (!address.setAddress(host)) return false;
  return isPrivateAddress(address);
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
