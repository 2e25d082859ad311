#include "web/cookie_jar.h"

#include <gtest/gtest.h>

#include <QNetworkCookie>

namespace {

using web::CookieJar;

// The cookies a jar would send to url, as "name=value; ...".
std::string sent(const CookieJar& jar, const QString& url) {
  QByteArray line;
  for (const QNetworkCookie& cookie : jar.cookiesForUrl(QUrl(url)))
    line += (line.isEmpty() ? "" : "; ") + cookie.name() + '=' + cookie.value();
  return line.toStdString();
}

// One Set-Cookie header from one host, then what each other host is sent.
TEST(CookieJar, ACookieGoesOnlyToTheHostsItBelongsTo) {
  const QByteArray big(4000, 'v');
  const struct Row {
    const char* name;
    QString setBy;
    QByteArray header;
    std::vector<std::pair<QString, std::string>> asked;  // address, the cookies it gets
  } rows[] = {
      {.name = "without a domain: its own host only",
       .setBy = "http://a.site.test/",
       .header = "c=1",
       .asked = {{"http://a.site.test/x", "c=1"},
                 {"http://b.a.site.test/", ""},
                 {"http://site.test/", ""}}},
      {.name = "a parent domain: the parent and its other hosts",
       .setBy = "http://a.site.test/",
       .header = "c=1; Domain=site.test",
       .asked = {{"http://b.site.test/", "c=1"},
                 {"http://site.test/", "c=1"},
                 {"http://othersite.test/", ""}}},
      {.name = "a bare top-level domain: refused",
       .setBy = "http://evil.test/",
       .header = "c=1; Domain=test",
       .asked = {{"http://evil.test/", ""}, {"http://victim.test/", ""}}},
      {.name = "a bare top-level domain with a dot: refused",
       .setBy = "http://evil.com/",
       .header = "c=1; Domain=.com",
       .asked = {{"http://evil.com/", ""}, {"http://victim.com/", ""}}},
      {.name = "a public suffix: refused",
       .setBy = "http://evil.co.uk/",
       .header = "c=1; Domain=co.uk",
       .asked = {{"http://evil.co.uk/", ""}, {"http://victim.co.uk/", ""}}},
      {.name = "another site's domain: refused",
       .setBy = "http://evil.test/",
       .header = "c=1; Domain=victim.test",
       .asked = {{"http://victim.test/", ""}, {"http://evil.test/", ""}}},
      {.name = "an address: that address only",
       .setBy = "http://203.0.113.5/",
       .header = "c=1",
       .asked = {{"http://203.0.113.5/", "c=1"}, {"http://3.0.113.5/", ""}}},
      {.name = "an address naming a shorter one as its domain: refused",
       .setBy = "http://10.0.0.1/",
       .header = "c=1; Domain=.0.0.1",
       .asked = {{"http://127.0.0.1/", ""}, {"http://10.0.0.1/", ""}}},
      {.name = "secure: never over http",
       .setBy = "https://a.site.test/",
       .header = "c=1; Secure",
       .asked = {{"http://a.site.test/", ""}, {"https://a.site.test/", "c=1"}}},
      {.name = "name and value of 4096 bytes: kept",
       .setBy = "http://a.site.test/",
       .header = "name=" + big + QByteArray(92, 'v'),
       .asked = {{"http://a.site.test/", "name=" + std::string(4092, 'v')}}},
      {.name = "name and value of 4097 bytes: refused",
       .setBy = "http://a.site.test/",
       .header = "name=" + big + QByteArray(93, 'v'),
       .asked = {{"http://a.site.test/", ""}}},
      {.name = "a path past the attribute bound: refused",
       .setBy = "http://a.site.test/",
       .header = "c=1; Path=/" + QByteArray(1024, 'p'),
       .asked = {{"http://a.site.test/" + QString(1024, 'p'), ""}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CookieJar jar;
    jar.setCookiesFromUrl(QNetworkCookie::parseCookies(row.header), QUrl(row.setBy));
    for (const auto& [url, cookies] : row.asked)
      EXPECT_EQ(sent(jar, url), cookies) << url.left(40).toStdString();
  }
}

// Hosts set cookies in turn, each its own names: how many stay, and which are gone.
TEST(CookieJar, PastASitesQuotaOrTheWholeJarsTheOldestGoFirst) {
  const struct Row {
    const char* name;
    std::vector<QString> hosts;  // one Set-Cookie answer each
    int cookiesEach;
    int kept;
    std::string firstHostGets;  // what the first host is sent in the end, its cookies' names
  } rows[] = {
      {.name = "under the quota",
       .hosts = {"a.site.test"},
       .cookiesEach = 50,
       .kept = 50,
       .firstHostGets = "c0..c49"},
      {.name = "one answer past the quota keeps its last 50",
       .hosts = {"a.site.test"},
       .cookiesEach = 60,
       .kept = 50,
       .firstHostGets = "c10..c59"},
      {.name = "the hosts of one site share its quota",
       .hosts = {"a.site.test", "b.site.test"},
       .cookiesEach = 30,
       .kept = 50,
       .firstHostGets = "c10..c29"},
      {.name = "other sites are not touched by one site's quota",
       .hosts = {"a.site.test", "other.test", "b.site.test"},
       .cookiesEach = 40,
       .kept = 90,
       .firstHostGets = "c30..c39"},
      {.name = "hosts of one label are sites of their own, however alike",
       .hosts = {"mail", "nail"},
       .cookiesEach = 40,
       .kept = 80,
       .firstHostGets = "c0..c39"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CookieJar jar;
    for (size_t h = 0; h < row.hosts.size(); ++h) {
      QList<QNetworkCookie> cookies;
      for (int i = 0; i < row.cookiesEach; ++i) {
        const QByteArray prefix = h == 0 ? "c" : "h" + QByteArray::number(h) + "-";
        cookies.append(QNetworkCookie(prefix + QByteArray::number(i), "1"));
      }
      jar.setCookiesFromUrl(cookies, QUrl("http://" + row.hosts[h] + "/"));
    }
    EXPECT_EQ(jar.count(), row.kept);
    const QList<QNetworkCookie> first = jar.cookiesForUrl(QUrl("http://" + row.hosts[0] + "/"));
    const std::string range =
        first.isEmpty()
            ? ""
            : (first.constFirst().name() + ".." + first.constLast().name()).toStdString();
    EXPECT_EQ(range, row.firstHostGets);
  }
}

TEST(CookieJar, TheWholeJarKeepsAtMost3000) {
  CookieJar jar;
  for (int site = 0; site < 70; ++site) {
    QList<QNetworkCookie> cookies;
    for (int i = 0; i < 50; ++i) cookies.append(QNetworkCookie("c" + QByteArray::number(i), "1"));
    jar.setCookiesFromUrl(cookies, QUrl(QString("http://s%1.test/").arg(site)));
  }
  EXPECT_EQ(jar.count(), web::kMaxCookies);
  EXPECT_EQ(sent(jar, "http://s0.test/"), "");  // the oldest site's are gone
  EXPECT_EQ(jar.cookiesForUrl(QUrl("http://s69.test/")).size(), 50);
}

}  // namespace
