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

TEST_F(PictureDecoding, OnlyPicturesWithinTheCapAndTheWindowAreKept) {
  // Panels here show nothing wider than 2000 pixels.
  engine.decoder().setPanelSizeWindow([](QSize shown) { return shown.width() <= 2000; });
  struct Case {
    const char* path;  // names the case
    QByteArray bytes;
    QSize size;  // what the document reports, kept or not
    bool kept;   // for the panel to decode its part of it
  } cases[] = {
      {.path = "/small.png",
       .bytes = webtest::imageBytes("png", 60, 40),
       .size = {60, 40},
       .kept = true},
      // 36 MP: under the cap, over Qt's default allocation limit (at four bytes a pixel)
      {.path = "/tall.png", .bytes = monoPng(1000, 36000), .size = {1000, 36000}, .kept = true},
      {.path = "/over-cap.png",
       .bytes = monoPng(2000, 25000),
       .size = {2000, 25000},
       .kept = false},
      {.path = "/too-wide.png", .bytes = monoPng(2400, 10), .size = {2400, 10}, .kept = false},
      // Its size is in; whether its rows are is for the panel's decode to find out.
      {.path = "/broken.png",
       .bytes = webtest::imageBytes("png", 50, 50).left(100),
       .size = {50, 50},
       .kept = true},
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
    EXPECT_EQ(engine.hasPicture(server.url(c.path)), c.kept);
    EXPECT_EQ(server.hits(c.path), 1);
  }
}

TEST_F(PictureDecoding, APanelDecodesOnlyItsPartAndIgnoresBrokenRows) {
  // The panel shows the top left 200x100 of a 1000x800 picture, 10 px in from its edges.
  window.resize(210, 110);
  view->setGeometry(0, 0, 1040, 848);
  view->show();
  QImage picture(1000, 800, QImage::Format_RGB32);
  picture.fill(Qt::green);
  server.route("/big.png", png(webtest::encoded(picture, "png")));
  server.route("/broken-rows.png", png(webtest::encoded(picture, "png").left(200)));
  struct Case {
    const char* path;
    QRect kept;  // what the panel holds once painted
    bool keptBytes;
  } cases[] = {
      // The rows below the window are never decoded; the picture is then let go.
      {"/big.png", QRect(0, 0, 200, 100), false},
      // Broken within what is shown: nothing is drawn, and nothing fetched again.
      {"/broken-rows.png", QRect(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const QString address = server.url(c.path);
    webtest::visit(browser, address);
    const bool drawn = QTest::qWaitFor(
        [&] {
          window.grab();
          return !view->keptPart(address).isEmpty();
        },
        1000);
    EXPECT_EQ(drawn, !c.kept.isEmpty());
    EXPECT_EQ(view->keptPart(address), c.kept);
    EXPECT_EQ(engine.hasPicture(address), c.keptBytes);
    EXPECT_EQ(server.hits(c.path), 1);
  }
}

}  // namespace
