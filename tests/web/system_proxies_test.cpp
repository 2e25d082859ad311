// The system's proxy answers kept per scheme, host and port for a minute.
#include "web/system_proxies.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemProxies, AsksTheSystemOncePerDestinationAndMinute) {
  struct Row {
    const char* name;
    const char* second;  // asked after http://a.test/x
    qint64 laterMs;
    int asked;  // times the system was asked for both
  } rows[] = {
      {.name = "the same address", .second = "http://a.test/x", .laterMs = 0, .asked = 1},
      {.name = "another page of the site", .second = "http://a.test/y?q", .laterMs = 0, .asked = 1},
      {.name = "another host", .second = "http://b.test/x", .laterMs = 0, .asked = 2},
      {.name = "another scheme", .second = "https://a.test/x", .laterMs = 0, .asked = 2},
      {.name = "another port", .second = "http://a.test:8080/x", .laterMs = 0, .asked = 2},
      {.name = "just within the minute", .second = "http://a.test/x", .laterMs = 59999, .asked = 1},
      {.name = "a minute later", .second = "http://a.test/x", .laterMs = 60000, .asked = 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    int asked = 0;
    qint64 now = 1000;
    web::SystemProxies proxies(
        [&](const QNetworkProxyQuery& query) {
          ++asked;
          return QList<QNetworkProxy>{QNetworkProxy(QNetworkProxy::HttpProxy, query.url().host())};
        },
        [&] { return now; });
    proxies.queryProxy(QNetworkProxyQuery(QUrl("http://a.test/x")));
    now += r.laterMs;
    const QList<QNetworkProxy> answer = proxies.queryProxy(QNetworkProxyQuery(QUrl(r.second)));
    EXPECT_EQ(asked, r.asked);
    ASSERT_EQ(answer.size(), 1);
    EXPECT_EQ(answer.first().hostName(), QUrl(r.second).host());  // the answer for that host
  }
}

}  // namespace
