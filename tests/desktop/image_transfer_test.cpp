// The saver's fetch through the engine against a loopback server with canned replies: pictures,
// redirects, what is not a picture, the caps, and cancelling.
#include <gtest/gtest.h>

#include <QTimer>

#include "desktop/qt_image_transfer.h"
#include "qt_test_app.h"
#include "web/engine.h"
#include "web/http_fixture.h"

namespace {

using webtest::Reply;

QByteArray png() { return webtest::imageBytes("png", 4, 3); }

// (Private addresses are refused for the saver too: tests/e2e/hostile.sh.)
web::EngineOptions options() {
  web::EngineOptions options;
  options.allowAllPrivateHosts = true;
  options.imageLimitBytes = 1024;
  options.requestTimeoutMs = 300;
  return options;
}

Reply reply(int status, const QByteArray& body, QList<QPair<QByteArray, QByteArray>> headers = {}) {
  return Reply{status, "image/png", body, std::move(headers)};
}

struct ImageTransferTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
  webtest::HttpFixture server;
  web::Engine engine{options()};
  desktop::QtImageTransfer transfer{engine};
  std::string url(const char* path) { return server.url(path).toStdString(); }
};

TEST_F(ImageTransferTest, SavesOnlyPicturesAnsweredWith2xx) {
  server.route("/a.png", reply(200, png()));
  server.route("/moved", reply(302, "", {{"Location", "/a.png"}}));
  server.route("/page", Reply{200, "text/html", "<html><p>no picture</p></html>"});
  server.route("/gone.png", reply(404, png()));
  server.route("/big", reply(200, png() + QByteArray(4096, 'x')));
  server.route("/loop", reply(302, "", {{"Location", "/loop"}}));
  server.route("/slow", Reply{.hang = true});
  for (const std::string& address :
       {url("/a.png"), url("/moved"), url("/page"), url("/gone.png"), url("/big"), url("/loop"),
        url("/slow"), std::string("file:///etc/passwd"), std::string("not a url"),
        std::string("http://127.0.0.1:1/closed")}) {
    const bool ok = address == url("/a.png") || address == url("/moved");
    const auto result = transfer.fetch(address);
    EXPECT_EQ(result.ok, ok) << address << ": " << result.error;
    EXPECT_EQ(result.bytes, ok ? png().toStdString() : "") << address;
    EXPECT_EQ(result.error.empty(), ok) << address;
  }
}

TEST_F(ImageTransferTest, ANewerSaveCancelsOnlyTheOlderOne) {
  server.route("/a.png", reply(200, png()));
  server.route("/slow", Reply{.hang = true});
  platform::TransferResult newer;
  QTimer::singleShot(50, [&] {
    transfer.cancel();
    newer = transfer.fetch(url("/a.png"));
  });
  const auto older = transfer.fetch(url("/slow"));
  EXPECT_FALSE(older.ok);
  EXPECT_TRUE(newer.ok) << newer.error;
  EXPECT_EQ(newer.bytes, png().toStdString());
}

}  // namespace
