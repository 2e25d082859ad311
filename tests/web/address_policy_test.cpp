#include "web/address_policy.h"

#include <gtest/gtest.h>

#include "web/engine.h"
#include "web_test_support.h"

namespace {

struct Case {
  const char* url;
  qint32 expected;
};

TEST(AddressPolicy, RefusesOtherSchemesAndPrivateHostsWrittenAnyWay) {
  const Case cases[] = {
      {"http://example.com/", 0},
      {"https://example.com:8443/a?b=c", 0},
      {"file:///etc/passwd", web::status::kRefusedScheme},
      {"ftp://example.com/", web::status::kRefusedScheme},
      {"javascript:alert(1)", web::status::kRefusedScheme},
      {"data:text/html,<p>x</p>", web::status::kRefusedScheme},
      {"mailto:a@example.com", web::status::kRefusedScheme},
      {"http:///nohost", web::status::kInvalidAddress},
      {"http://127.0.0.1/", web::status::kRefusedAddress},
      {"http://127.255.3.4:8080/", web::status::kRefusedAddress},
      {"http://2130706433/", web::status::kRefusedAddress},  // 127.0.0.1 as one number
      {"http://0x7f.1/", web::status::kRefusedAddress},
      {"http://localhost/", web::status::kRefusedAddress},
      {"http://LOCALHOST./", web::status::kRefusedAddress},
      {"http://app.localhost/", web::status::kRefusedAddress},
      {"http://0.0.0.0/", web::status::kRefusedAddress},
      {"http://10.1.2.3/", web::status::kRefusedAddress},
      {"http://172.16.0.1/", web::status::kRefusedAddress},
      {"http://172.31.255.255/", web::status::kRefusedAddress},
      {"http://172.32.0.1/", 0},
      {"http://192.168.1.1/", web::status::kRefusedAddress},
      {"http://169.254.169.254/latest/", web::status::kRefusedAddress},
      {"http://100.64.0.1/", web::status::kRefusedAddress},
      {"http://[::1]/", web::status::kRefusedAddress},
      {"http://[::]/", web::status::kRefusedAddress},
      {"http://[::ffff:10.0.0.1]/", web::status::kRefusedAddress},
      {"http://[fe80::1]/", web::status::kRefusedAddress},
      {"http://[fd00::5]/", web::status::kRefusedAddress},
      {"http://[2001:db8::1]/", 0},
      {"http://8.8.8.8/", 0},
      {"http://198.18.0.1/", web::status::kRefusedAddress},
      {"http://198.20.0.1/", 0},
      {"http://192.0.0.8/", web::status::kRefusedAddress},
      {"http://224.0.0.251/", web::status::kRefusedAddress},
      {"http://240.0.0.1/", web::status::kRefusedAddress},
      {"http://255.255.255.255/", web::status::kRefusedAddress},
      {"http://[::127.0.0.1]/", web::status::kRefusedAddress},      // IPv4-compatible
      {"http://[64:ff9b::7f00:1]/", web::status::kRefusedAddress},  // NAT64 of 127.0.0.1
      {"http://[64:ff9b::808:808]/", 0},                            // NAT64 of 8.8.8.8
      {"http://[64:ff9b:1::1]/", web::status::kRefusedAddress},
      {"http://[2002:c0a8:101::1]/", web::status::kRefusedAddress},  // 6to4 of 192.168.1.1
      {"http://[2002:808:808::1]/", 0},
      {"http://[2001:0:4136:e378:8000:63bf:80ff:fffe]/", web::status::kRefusedAddress},  // Teredo
      {"http://[100::1]/", web::status::kRefusedAddress},
      {"http://[ff02::1]/", web::status::kRefusedAddress},
      {"http://[fec0::1]/", web::status::kRefusedAddress},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(web::addressRefusal(QUrl(c.url), {}, false), c.expected) << c.url;
  }
}

TEST(AddressPolicy, AllowListMatchesHostOrHostAndPort) {
  const QStringList allowed = {"127.0.0.1:8480", "LocalHost", "[::1]:9000"};
  const Case cases[] = {
      {"http://127.0.0.1:8480/quorel/bin/version.asp", 0},
      {"http://127.0.0.1:8481/", web::status::kRefusedAddress},
      {"http://127.0.0.1/", web::status::kRefusedAddress},
      {"http://localhost:1234/", 0},
      {"http://[::1]:9000/", 0},
      {"http://[::1]:9001/", web::status::kRefusedAddress},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(web::addressRefusal(QUrl(c.url), allowed, false), c.expected) << c.url;
  }
  EXPECT_EQ(web::addressRefusal(QUrl("http://10.0.0.1/"), {}, true), 0);
}

TEST(AddressPolicy, RepeatedFailuresOfOneHostArePacedUntilASuccess) {
  webtest::testApp();
  web::Engine engine;
  const QUrl host("http://unreachable.example/");
  std::vector<int> delays;
  for (int i = 0; i < 8; ++i) delays.push_back(engine.failureDelayMs(host));
  EXPECT_EQ(delays, (std::vector<int>{0, 250, 500, 1000, 2000, 4000, 4000, 4000}));
  EXPECT_EQ(engine.failureDelayMs(QUrl("http://other.example/")), 0);
  engine.noteSuccess(host);
  EXPECT_EQ(engine.failureDelayMs(host), 0);
}

}  // namespace
