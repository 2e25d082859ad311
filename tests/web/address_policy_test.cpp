#include "web/address_policy.h"

#include <gtest/gtest.h>

#include "http_fixture.h"
#include "web/engine.h"
#include "web/status_codes.h"

namespace {

TEST(AddressPolicy, RefusesOtherSchemesAndPrivateHostsWrittenAnyWay) {
  const std::pair<qint32, std::vector<const char*>> cases[] = {
      // Public, also when embedded in IPv6 (NAT64, 6to4).
      {0,
       {"http://example.com/", "https://example.com:8443/a?b=c", "http://172.32.0.1/",
        "http://[2001:db8::1]/", "http://8.8.8.8/", "http://198.20.0.1/",
        "http://[64:ff9b::808:808]/", "http://[2002:808:808::1]/"}},
      {web::status::kRefusedScheme,
       {"file:///etc/passwd", "ftp://example.com/", "javascript:alert(1)",
        "data:text/html,<p>x</p>", "mailto:a@example.com"}},
      {web::status::kInvalidAddress, {"http:///nohost"}},
      // Loopback however written (one number, hex), private, shared, link-local, reserved and
      // multicast ranges, and the IPv6 forms that embed them (IPv4-compatible, NAT64, 6to4,
      // Teredo).
      {web::status::kRefusedAddress,
       {"http://127.0.0.1/", "http://127.255.3.4:8080/", "http://2130706433/", "http://0x7f.1/",
        "http://localhost/", "http://LOCALHOST./", "http://app.localhost/", "http://0.0.0.0/",
        "http://10.1.2.3/", "http://172.16.0.1/", "http://172.31.255.255/", "http://192.168.1.1/",
        "http://169.254.169.254/latest/", "http://100.64.0.1/", "http://198.18.0.1/",
        "http://192.0.0.8/", "http://224.0.0.251/", "http://240.0.0.1/",
        "http://255.255.255.255/"}},
      {web::status::kRefusedAddress,
       {"http://[::1]/", "http://[::]/", "http://[::ffff:10.0.0.1]/", "http://[fe80::1]/",
        "http://[fd00::5]/", "http://[::127.0.0.1]/", "http://[64:ff9b::7f00:1]/",
        "http://[64:ff9b:1::1]/", "http://[2002:c0a8:101::1]/",
        "http://[2001:0:4136:e378:8000:63bf:80ff:fffe]/", "http://[100::1]/", "http://[ff02::1]/",
        "http://[fec0::1]/"}}};
  for (const auto& [expected, urls] : cases) {
    for (const char* url : urls)
      EXPECT_EQ(web::addressRefusal(QUrl(url), {}, false), expected) << url;
  }
}

// Addresses and names longer than the engine keeps are refused before any look-up.
TEST(AddressPolicy, RefusesAddressesAndNamesTooLongToKeep) {
  const QString start = "http://example.com/?";
  const QString label = QString(60, 'a') + '.';  // four make 244 characters of a name
  const struct Row {
    const char* name;
    QString url;
    qint32 status;
  } rows[] = {
      {"an address at the bound", start + QString(web::kMaxAddressLength - start.size(), 'q'), 0},
      {"an address past the bound", start + QString(web::kMaxAddressLength - start.size() + 1, 'q'),
       web::status::kInvalidAddress},
      {"a name at the bound", "http://" + label.repeated(4) + "abcd.test/", 0},
      {"a name past the bound", "http://" + label.repeated(4) + "abcde.test/",
       web::status::kInvalidAddress},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(web::addressRefusal(QUrl(row.url), {}, false), row.status);
  }
}

TEST(AddressPolicy, AllowListMatchesHostOrHostAndPort) {
  const QStringList allowed = {"127.0.0.1:8480", "LocalHost", "[::1]:9000"};
  const std::pair<const char*, qint32> cases[] = {
      {"http://127.0.0.1:8480/quorel/bin/version.asp", 0},
      {"http://127.0.0.1:8481/", web::status::kRefusedAddress},
      {"http://127.0.0.1/", web::status::kRefusedAddress},
      {"http://localhost:1234/", 0},
      {"http://[::1]:9000/", 0},
      {"http://[::1]:9001/", web::status::kRefusedAddress}};
  for (const auto& [url, expected] : cases)
    EXPECT_EQ(web::addressRefusal(QUrl(url), allowed, false), expected) << url;
  EXPECT_EQ(web::addressRefusal(QUrl("http://10.0.0.1/"), {}, true), 0);
}

TEST(AddressPolicy, RepeatedFailuresOfOneHostArePacedUntilASuccess) {
  web::Engine engine;
  const QUrl host("http://unreachable.example/");
  std::vector<int> delays;
  for (int i = 0; i < 8; ++i) delays.push_back(engine.failureDelayMs(host));
  EXPECT_EQ(delays, (std::vector<int>{0, 250, 500, 1000, 2000, 4000, 4000, 4000}));
  EXPECT_EQ(engine.failureDelayMs(QUrl("http://other.example/")), 0);
  engine.noteSuccess(host);
  EXPECT_EQ(engine.failureDelayMs(host), 0);

  // Failures are remembered for so many hosts at most, then forgotten all at once.
  web::Engine busy;
  const auto nth = [](int i) { return QUrl(QString("http://h%1.example/").arg(i)); };
  for (int i = 0; i < web::kFailingHostEntries; ++i) busy.failureDelayMs(nth(i));
  EXPECT_EQ(busy.failureDelayMs(nth(0)), 250);
  busy.failureDelayMs(nth(web::kFailingHostEntries));
  EXPECT_EQ(busy.failureDelayMs(nth(0)), 0);
}

}  // namespace
