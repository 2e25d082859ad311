#include <gtest/gtest.h>

#include "http_fixture.h"
#include "web/display_view.h"
#include "web/picture_decoder.h"

namespace {

using webtest::HttpFixture;
using webtest::Recorder;
using webtest::Reply;

// A PNG of one bit a pixel: a few kilobytes whatever its size, and cheap to decode, so only a
// check of the header's size keeps it from being decoded.
QByteArray monoPng(int width, int height) {
  return webtest::imageBytes("png", width, height, QImage::Format_Mono);
}

Reply png(const QByteArray& bytes) { return Reply{200, "image/png", bytes}; }

class PictureDecoding : public ::testing::Test {
 protected:
  HttpFixture server;
  web::Engine engine{webtest::optionsFor(server)};
  web::WebBrowser browser{engine};
  // A hidden panel in a shown window: its document is laid out all the same.
  QWidget window;
  web::DisplayView* view = new web::DisplayView(browser, &window);
  void SetUp() override {
    window.show();
    view->hide();
  }
};

TEST_F(PictureDecoding, OnlyPicturesWithinTheCapAndTheWindowAreDecoded) {
  // Panels here show nothing wider than 2000 pixels.
  engine.decoder().setPanelSizeWindow([](QSize shown) { return shown.width() <= 2000; });
  struct Case {
    const char* path;  // names the case
    QByteArray bytes;
    QSize size;  // what the document reports, decoded or not
    bool decoded;
    int fetches;  // the view asks again for a picture not at hand
  } cases[] = {
      {.path = "/small.png",
       .bytes = webtest::imageBytes("png", 60, 40),
       .size = {60, 40},
       .decoded = true,
       .fetches = 1},
      // 36 MP: under the cap, over Qt's default allocation limit (at four bytes a pixel)
      {.path = "/tall.png",
       .bytes = monoPng(1000, 36000),
       .size = {1000, 36000},
       .decoded = true,
       .fetches = 1},
      {.path = "/over-cap.png",
       .bytes = monoPng(2000, 25000),
       .size = {2000, 25000},
       .decoded = false,
       .fetches = 1},
      {.path = "/too-wide.png",
       .bytes = monoPng(2400, 10),
       .size = {2400, 10},
       .decoded = false,
       .fetches = 1},
      {.path = "/broken.png",
       .bytes = webtest::imageBytes("png", 50, 50).left(100),
       .size = {50, 50},
       .decoded = false,
       .fetches = 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    server.route(c.path, png(c.bytes));
    const auto events = webtest::visit(browser, server.url(c.path));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, "DocumentComplete");
    // A picture's address makes a document of our own markup around it.
    const std::string src = server.url(c.path).toStdString();
    EXPECT_EQ(browser.document().innerHTML(),
              "<head></head><body><img src=\"" + src + "\"></body>");
    const platform::ImageElement image = browser.document().image(0);
    EXPECT_EQ(image.src, src);
    EXPECT_EQ(QSize(image.width, image.height), c.size);
    QTest::qWait(100);  // the view's own request, if any
    EXPECT_EQ(!engine.decodedImage(server.url(c.path)).isNull(), c.decoded);
    EXPECT_EQ(server.hits(c.path), c.fetches);
  }
}

TEST_F(PictureDecoding, ADecodeForAnAbandonedNavigationIsDropped) {
  const QString big = server.url("/big.png");
  server.route("/big.png",
               png(webtest::imageBytes("png", 6000, 6000,
                                       QImage::Format_Grayscale8)));  // a tenth of a second
  server.route("/next.png", png(webtest::imageBytes("png", 30, 20)));
  Recorder recorder(browser);
  browser.navigate(big);
  // The size is known once the picture is in and its decode has started.
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine.cachedSize(big).isValid(); }));
  browser.navigate(server.url("/next.png"));
  // One decode at a time: the abandoned one has ended when the next page completes.
  ASSERT_TRUE(recorder.wait());
  ASSERT_EQ(recorder.events.size(), 1u);
  EXPECT_EQ(recorder.events[0].url, server.url("/next.png"));
  EXPECT_TRUE(engine.decodedImage(big).isNull());
  EXPECT_FALSE(engine.decodedImage(server.url("/next.png")).isNull());
}

}  // namespace
