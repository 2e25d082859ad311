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

// The format comes from the bytes, whatever the address or the server says.
TEST_F(ImageTransferTest, SavesOnlyPicturesAnsweredWith2xx) {
  const QByteArray jpeg = webtest::imageBytes("jpeg", 4, 3), gif = webtest::imageBytes("gif", 4, 3);
  server.route("/a.png", reply(200, png()));
  server.route("/moved", reply(302, "", {{"Location", "/a.png"}}));
  server.route("/a.html", Reply{200, "text/html", jpeg});
  server.route("/a.desktop", reply(200, gif));
  server.route("/page", Reply{200, "text/html", "<html><p>no picture</p></html>"});
  server.route("/gone.png", reply(404, png()));
  Reply cutShort = reply(200, png().left(30), {{"Content-Length", "100000"}});
  cutShort.sendLength = false;
  server.route("/cut.png", cutShort);
  struct Row {
    std::string address;
    QByteArray bytes = {};    // none: the fetch fails
    std::string format = {};  // as the bytes tell it
    std::string error = {};   // why it failed
  };
  // Failures of the engine's own (caps, redirects, time-outs: navigation_test.cpp) take one way.
  const Row rows[] = {
      {.address = url("/a.png"), .bytes = png(), .format = "png"},
      {.address = url("/moved"), .bytes = png(), .format = "png"},
      {.address = url("/a.html"), .bytes = jpeg, .format = "jpeg"},
      {.address = url("/a.desktop"), .bytes = gif, .format = "gif"},
      {.address = url("/page"), .error = "not a picture"},
      {.address = url("/gone.png"), .error = "HTTP status 404"},
      {.address = url("/cut.png"), .error = "download failed"},
      {.address = "http://127.0.0.1:1/closed", .error = "server not found"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address);
    const bool ok = !row.bytes.isEmpty();
    const auto result = transfer.fetch(row.address);
    EXPECT_EQ(result.ok, ok) << result.error;
    EXPECT_EQ(result.bytes, row.bytes.toStdString());
    EXPECT_EQ(result.format, row.format);
    EXPECT_EQ(result.error, row.error);
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
