#include <gtest/gtest.h>

#include <QBuffer>

#include "web/image_probe.h"
#include "web/web_browser.h"
#include "web_test_support.h"

namespace {

using webtest::HttpFixture;
using webtest::Recorder;
using webtest::Reply;

Reply image(const QByteArray& type, const QByteArray& bytes) {
  Reply reply;
  reply.contentType = type;
  reply.body = bytes;
  return reply;
}

class ImageSizing : public ::testing::Test {
 protected:
  void SetUp() override { webtest::testApp(); }

  platform::Document& load(web::WebBrowser& browser, const QByteArray& page) {
    server.route("/page", image("text/html", page));
    Recorder recorder(browser);
    browser.navigate(server.url("/page"));
    EXPECT_TRUE(recorder.wait());
    EXPECT_EQ(recorder.events.size(), 1u);
    return browser.document();
  }
  webtest::AppGuard guard;
  HttpFixture server;
};

TEST_F(ImageSizing, EachFormatIsSizedFromItsHeaderBeforeDocumentComplete) {
  struct Case {
    const char* format;
    const char* type;
    int width, height;
  } cases[] = {
      {"png", "image/png", 31, 17},
      {"jpeg", "image/jpeg", 640, 480},
      {"progressive", "image/jpeg", 333, 222},
      {"gif", "image/gif", 28, 30},
      {"bmp", "image/bmp", 45, 12},
      {"webp", "image/webp", 250, 125},
  };
  QByteArray page;
  for (const auto& c : cases) {
    server.route(QByteArray("/img/") + c.format,
                 image(c.type, webtest::imageBytes(c.format, c.width, c.height)));
    page += QByteArray("<img src=img/") + c.format + ">";
  }
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  platform::Document& document = load(browser, page);
  ASSERT_EQ(document.imageCount(), int(std::size(cases)));
  for (int i = 0; i < document.imageCount(); ++i) {
    const platform::ImageElement element = document.image(i);
    EXPECT_EQ(element.src, server.url(QString("/img/") + cases[i].format).toStdString());
    EXPECT_EQ(element.width, cases[i].width) << cases[i].format;
    EXPECT_EQ(element.height, cases[i].height) << cases[i].format;
  }
}

TEST_F(ImageSizing, BrokenImagesMeasureZeroAndAttributesStillCount) {
  const QByteArray png = webtest::imageBytes("png", 200, 100);
  server.route("/truncated.png", image("image/png", png.left(png.size() / 2)));  // header intact
  server.route("/stub.png", image("image/png", png.left(10)));                   // header cut
  server.route("/corrupt.png", image("image/png", QByteArray(500, '\x5a')));
  server.route("/page-not-image", image("text/html", "<html><body>soft 404</body></html>"));
  server.route("/scaled.png", image("image/png", png));
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  platform::Document& document =
      load(browser,
           "<img src=truncated.png><img src=stub.png><img src=corrupt.png><img src=missing.png>"
           "<img src=page-not-image><img src=scaled.png width=50><img src=scaled.png height=10>"
           "<img src=missing.png width=7 height=9><img>");
  struct Expected {
    int width, height;
  } expected[] = {{200, 100}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {50, 25}, {20, 10}, {7, 9}, {0, 0}};
  ASSERT_EQ(document.imageCount(), int(std::size(expected)));
  for (int i = 0; i < document.imageCount(); ++i) {
    EXPECT_EQ(document.image(i).width, expected[i].width) << i;
    EXPECT_EQ(document.image(i).height, expected[i].height) << i;
  }
  EXPECT_EQ(server.hits("/scaled.png"), 1);  // one probe per address
}

TEST_F(ImageSizing, HundredsOfImagesAreAllSizedAndWriteReadsTheCache) {
  QByteArray page;
  for (int i = 0; i < 300; ++i) {
    const QByteArray path = "/many/" + QByteArray::number(i) + ".gif";
    server.route(path, image("image/gif", webtest::imageBytes("gif", 10 + i, 5)));
    page += "<img src=" + path + ">";
  }
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  platform::Document& document = load(browser, page);
  ASSERT_EQ(document.imageCount(), 300);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(document.image(i).width, 10 + i) << i;

  // The neutralised copy written back gets the same sizes at once, with no new fetch.
  std::string markup = document.innerHTML();
  document.clear();
  document.write(markup);
  ASSERT_EQ(document.imageCount(), 300);
  EXPECT_EQ(document.image(299).width, 309);
  EXPECT_EQ(server.hits("/many/299.gif"), 1);

  // A written image that was never probed is sized later, from the event loop.
  server.route("/late.png", image("image/png", webtest::imageBytes("png", 77, 66)));
  document.write("<img src=late.png>");
  EXPECT_EQ(document.image(0).width, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return document.image(0).width == 77; }, 10000));
}

// A large 1600x1200 JPEG of noise (over 512 KB): its size is in the first few hundred bytes.
QByteArray noiseJpeg() {
  QImage noise(1600, 1200, QImage::Format_RGB32);
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x)
      noise.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
  }
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  noise.save(&buffer, "jpeg", 95);
  return jpeg;
}

TEST_F(ImageSizing, ProbesStopOnceTheHeaderIsIn) {
  const QByteArray jpeg = noiseJpeg();
  ASSERT_GT(jpeg.size(), 512 * 1024);
  EXPECT_EQ(web::imageSizeOf(jpeg.left(4096)), QSize(1600, 1200));
  EXPECT_FALSE(web::imageSizeOf(jpeg.left(2)).isValid());
  EXPECT_FALSE(web::isWebImage("<html><body>not an image</body></html>"));
}

// A static file server that honours "Range: bytes=0-N", as most do for pictures.
Reply ranged(const QByteArray& body, const webtest::Request& request) {
  Reply reply = image("image/jpeg", body);
  const QByteArray range = request.headers.value("range");
  if (!range.startsWith("bytes=0-")) return reply;
  const qint64 last = std::min<qint64>(range.mid(8).toLongLong(), body.size() - 1);
  reply.status = 206;
  reply.body = body.left(last + 1);
  reply.headers.append({"Content-Range", "bytes 0-" + QByteArray::number(last) + "/" +
                                             QByteArray::number(body.size())});
  return reply;
}

TEST_F(ImageSizing, ProbesAskForTheFirstBytesAndReadOnOnlyWhenTheSizeIsNotThere) {
  const QByteArray jpeg = noiseJpeg();
  // The same picture with 40 KB of comments ahead of its size (as a large preview would be).
  QByteArray late = jpeg.left(2);
  for (int i = 0; i < 4; ++i) late += QByteArray("\xFF\xFE\x27\x12", 4) + QByteArray(10000, 'c');
  late += jpeg.mid(2);

  struct Case {
    const char* what;
    QByteArray body;
    bool honoursRange;
    int requests;
    qint64 mostBytes;
  };
  const Case cases[] = {
      {"ranged, size at the start", jpeg, true, 1, 16 * 1024},
      {"ranged, size beyond the first bytes", late, true, 2, 16 * 1024 + 256 * 1024},
      {"whole body sent anyway", jpeg, false, 1, 256 * 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HttpFixture files;
    const QByteArray body = c.body;
    const bool honours = c.honoursRange;
    files.route("/big.jpg", [body, honours](const webtest::Request& request) {
      return honours ? ranged(body, request) : image("image/jpeg", body);
    });
    web::Engine engine(webtest::optionsFor(files));
    web::SizeProbe probe(engine, files.url("/big.jpg"));
    bool done = false;
    QObject::connect(&probe, &web::SizeProbe::done, [&done] { done = true; });
    probe.start();
    ASSERT_TRUE(QTest::qWaitFor([&done] { return done; }, 15000));
    EXPECT_EQ(probe.size(), QSize(1600, 1200));
    EXPECT_EQ(files.hits("/big.jpg"), c.requests);
    EXPECT_LE(probe.bytesRead(), c.mostBytes);
    EXPECT_EQ(files.requests().front().headers.value("range"), "bytes=0-16383");
  }
}

}  // namespace
