#include "web/cookie_jar.h"

#include <QHostAddress>

namespace web {
namespace {

bool isAddress(const QString& host) { return !QHostAddress(host).isNull(); }

QString withoutDot(const QString& domain) {
  return domain.startsWith('.') ? domain.mid(1) : domain;
}

// What the limits count as one site: the address itself, or the name's last two labels. (Sites
// under a shared suffix such as "co.uk" share a quota: the price of needing no suffix list.)
QString siteOf(const QString& domain) {
  const QString name = withoutDot(domain).toLower();
  if (isAddress(name)) return name;
  const qsizetype last = name.lastIndexOf('.');
  const qsizetype before = last > 0 ? name.lastIndexOf('.', last - 1) : -1;
  return before < 0 ? name : name.mid(before + 1);
}

// The cookie's domain is the host, or (for a name) a parent of it.
bool belongsTo(const QNetworkCookie& cookie, const QString& rawHost) {
  const QString host = rawHost.toLower();
  const QString domain = withoutDot(cookie.domain()).toLower();
  if (domain == host) return true;
  return !isAddress(host) && host.endsWith('.' + domain);
}

}  // namespace

bool CookieJar::validateCookie(const QNetworkCookie& cookie, const QUrl& url) const {
  if (cookie.name().size() + cookie.value().size() > kMaxCookieBytes) return false;
  if (cookie.path().size() > kMaxCookieAttributeBytes ||
      cookie.domain().size() > kMaxCookieAttributeBytes)
    return false;
  const QString host = url.host().toLower();
  const QString domain = withoutDot(cookie.domain()).toLower();
  if (!belongsTo(cookie, host)) return false;
  if (domain != host && !domain.contains('.')) return false;  // a whole top-level domain
  return QNetworkCookieJar::validateCookie(cookie, url);
}

bool CookieJar::setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) {
  // All belong to one site: only the last kMaxCookiesPerSite could stay anyway.
  return QNetworkCookieJar::setCookiesFromUrl(
      cookies.mid(qMax(0, cookies.size() - kMaxCookiesPerSite)), url);
}

bool CookieJar::insertCookie(const QNetworkCookie& cookie) {
  if (!QNetworkCookieJar::insertCookie(cookie)) return false;
  const QString site = siteOf(cookie.domain());
  const QList<QNetworkCookie> all = allCookies();  // oldest first; the new one last
  qsizetype ofSite = 0;
  for (const QNetworkCookie& kept : all) ofSite += siteOf(kept.domain()) == site;
  qsizetype total = all.size();
  for (const QNetworkCookie& kept : all) {
    if (ofSite <= kMaxCookiesPerSite && total <= kMaxCookies) break;
    const bool sameSite = siteOf(kept.domain()) == site;
    if (!sameSite && total <= kMaxCookies) continue;
    deleteCookie(kept);
    --total;
    ofSite -= sameSite;
  }
  return true;
}

QList<QNetworkCookie> CookieJar::cookiesForUrl(const QUrl& url) const {
  QList<QNetworkCookie> cookies = QNetworkCookieJar::cookiesForUrl(url);
  const QString host = url.host();
  cookies.removeIf([&host](const QNetworkCookie& cookie) { return !belongsTo(cookie, host); });
  return cookies;
}

}  // namespace web
