// The saver's fetch through the engine against a loopback server with canned replies: pictures,
// redirects, what is not a picture, the caps, and cancelling.
#include <gtest/gtest.h>

#include <QTimer>

#include "desktop/qt_image_transfer.h"
#include "web/engine.h"
#include "web/http_fixture.h"

namespace {

using webtest::Reply;

QByteArray png() { return webtest::imageBytes("png", 4, 3); }

Reply reply(int status, const QByteArray& body, QList<QPair<QByteArray, QByteArray>> headers = {}) {
  return Reply{status, "image/png", body, std::move(headers)};
}

struct ImageTransferTest : ::testing::Test {
  webtest::HttpFixture server;
  // (Private addresses are refused for the saver too: tests/e2e/hostile.sh.)
  web::Engine engine{webtest::optionsFor(server)};
  desktop::QtImageTransfer transfer{engine};
  std::string url(const char* path) { return server.url(path).toStdString(); }
};

TEST_F(ImageTransferTest, SavesOnlyPicturesAnsweredWith2xx) {
  server.route("/a.png", reply(200, png()));
  server.route("/moved", reply(302, "", {{"Location", "/a.png"}}));
  server.route("/page", Reply{200, "text/html", "<html><p>no picture</p></html>"});
  server.route("/gone.png", reply(404, png()));
  // Failures of the engine's own (caps, redirects, time-outs: navigation_test.cpp) take one way.
  for (const std::string& address : {url("/a.png"), url("/moved"), url("/page"), url("/gone.png"),
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
