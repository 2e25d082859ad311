// The engine's cookies, kept as a browser keeps them, in memory only.
//
// Rules:
// - A cookie is taken only from a host it belongs to: its Domain attribute, when given, must be
//   the host itself or a parent of it with at least two labels (never a bare top-level name
//   such as "test" or "com"); a host written as an address takes no Domain but its own.
// - Name and value together are at most kMaxCookieBytes; a longer cookie is refused whole, as is
//   one whose path or domain is longer than kMaxCookieAttributeBytes.
// - A site (a domain's last two labels, or the address itself) keeps at most kMaxCookiesPerSite
//   cookies and the jar kMaxCookies in all; past either, the oldest go first. Setting a cookie
//   again makes it the newest.
// - A request gets only the cookies whose domain is its host or, for a name, a parent of it.
#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

#include "web/engine_limits.h"

namespace web {

class CookieJar : public QNetworkCookieJar {
 public:
  using QNetworkCookieJar::QNetworkCookieJar;
  QList<QNetworkCookie> cookiesForUrl(const QUrl& url) const override;
  bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override;
  bool insertCookie(const QNetworkCookie& cookie) override;
  int count() const { return int(allCookies().size()); }

 protected:
  bool validateCookie(const QNetworkCookie& cookie, const QUrl& url) const override;
};

}  // namespace web
