#include <gtest/gtest.h>

#include <optional>

#include "http_fixture.h"
#include "web/address_policy.h"
#include "web/image_probe.h"
#include "web/web_browser.h"

namespace {

using webtest::HttpFixture;
using webtest::Reply;

Reply image(const QByteArray& type, const QByteArray& bytes) { return Reply{200, type, bytes}; }

class ImageSizing : public ::testing::Test {
 protected:
  HttpFixture server;
};

// Bytes fetched as a page are told from a picture by their format, whatever they claim to be.
TEST(ImageFormat, PicturesAreToldFromPagesByTheirBytes) {
  struct Row {
    const char* name;
    QByteArray bytes;
    QByteArray format;
  } rows[] = {
      {.name = "nothing", .bytes = "", .format = ""},
      {.name = "a page", .bytes = "<!DOCTYPE html><p>GIF89a", .format = ""},
      {.name = "text starting like a format", .bytes = "GIF is a format", .format = ""},
      {.name = "a BOM before markup", .bytes = "\xef\xbb\xbf<html>", .format = ""},
      {.name = "JPEG", .bytes = webtest::imageBytes("jpeg", 20, 10), .format = "jpeg"},
      {.name = "PNG", .bytes = webtest::imageBytes("png", 20, 10), .format = "png"},
      {.name = "GIF", .bytes = webtest::imageBytes("gif", 20, 10), .format = "gif"},
      {.name = "BMP", .bytes = webtest::imageBytes("bmp", 20, 10), .format = "bmp"},
      {.name = "WebP", .bytes = webtest::imageBytes("webp", 20, 10), .format = "webp"},
      {.name = "icon", .bytes = webtest::imageBytes("ico", 20, 10), .format = "ico"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(web::webImageFormatOf(r.bytes), r.format);
  }
}

// Every format from its header, broken pictures as 0x0, attributes scaled by the aspect, and
// hundreds on one page: all known at DocumentComplete, one probe per address.
TEST_F(ImageSizing, EveryImageIsSizedBeforeDocumentComplete) {
  const QByteArray png = webtest::imageBytes("png", 200, 100);
  struct Served {
    const char* type;
    QByteArray body;
  };
  struct Case {
    const char* name;
    std::optional<Served> served;  // at /img/<n>; none: missing
    QSize size;
    const char* attributes = "";
  } cases[] = {
      {.name = "png",
       .served = {{"image/png", webtest::imageBytes("png", 31, 17)}},
       .size = {31, 17}},
      {.name = "jpeg",
       .served = {{"image/jpeg", webtest::imageBytes("jpeg", 640, 480)}},
       .size = {640, 480}},
      {.name = "progressive jpeg",
       .served = {{"image/jpeg", webtest::imageBytes("progressive", 333, 222)}},
       .size = {333, 222}},
      {.name = "gif",
       .served = {{"image/gif", webtest::imageBytes("gif", 28, 30)}},
       .size = {28, 30}},
      {.name = "bmp",
       .served = {{"image/bmp", webtest::imageBytes("bmp", 45, 12)}},
       .size = {45, 12}},
      {.name = "webp",
       .served = {{"image/webp", webtest::imageBytes("webp", 250, 125)}},
       .size = {250, 125}},
      {.name = "cut short, the header intact",
       .served = {{"image/png", png.left(png.size() / 2)}},
       .size = {200, 100}},
      {.name = "cut inside the header", .served = {{"image/png", png.left(10)}}, .size = {0, 0}},
      {.name = "a soft 404",
       .served = {{"text/html", "<html><body>soft 404</body></html>"}},
       .size = {0, 0}},
      {.name = "missing", .served = std::nullopt, .size = {0, 0}},
      {.name = "a width attribute",
       .served = {{"image/png", png}},
       .size = {50, 25},
       .attributes = " width=50"},
  };
  QByteArray page;
  int n = 0;
  for (const Case& c : cases) {
    const QByteArray path = "/img/" + QByteArray::number(n++);
    if (c.served) server.route(path, image(c.served->type, c.served->body));
    page += "<img src=" + path + c.attributes + ">";
  }
  const int many = 280;  // with the rows above, just under the engine's 300 addresses a page
  for (int i = 0; i < many; ++i) {
    const QByteArray path = "/many/" + QByteArray::number(i) + ".gif";
    server.route(path, image("image/gif", webtest::imageBytes("gif", 10 + i, 5)));
    page += "<img src=" + path + "><img src=" + path + ">";
  }
  server.route("/page", image("text/html", page + "<img>"));
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  ASSERT_EQ(webtest::visit(browser, server.url("/page")).size(), 1u);
  platform::Document& document = browser.document();
  ASSERT_EQ(document.imageCount(), n + 2 * many + 1);
  for (int i = 0; i < n; ++i) {
    SCOPED_TRACE(cases[i].name);
    const platform::ImageElement element = document.image(i);
    EXPECT_EQ(element.src, server.url(QString("/img/%1").arg(i)).toStdString());
    EXPECT_EQ(QSize(element.width, element.height), cases[i].size);
  }
  for (int i = 0; i < 2 * many; ++i)
    ASSERT_EQ(document.image(n + i).width, 10 + i / 2) << "picture " << n + i;
  EXPECT_EQ(document.image(n + 2 * many).width, 0);
  EXPECT_EQ(server.hits("/many/279.gif"), 1);

  // A written image that was never probed is sized later, from the event loop.
  server.route("/late.png", image("image/png", webtest::imageBytes("png", 77, 66)));
  document.write("<img src=late.png>");
  EXPECT_EQ(document.image(0).width, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return document.image(0).width == 77; }, 10000));
}

// Pictures whose addresses are longer than any the engine keeps are never asked for nor cached:
// they stay 0x0, and the page completes with the others sized.
TEST_F(ImageSizing, AddressesTooLongToKeepAreNeitherFetchedNorCached) {
  server.route("/small.png", image("image/png", webtest::imageBytes("png", 20, 10)));
  const struct Row {
    const char* name;
    QString path;
    QSize size;
  } rows[] = {
      {"a short address", "/small.png?", {20, 10}},
      {"just at the bound", "/small.png?" + QString(web::kMaxAddressLength - 40, 'a'), {20, 10}},
      {"26 KB", "/small.png?" + QString(26 * 1024, 'b'), {0, 0}},
  };
  QByteArray page;
  for (const Row& row : rows) {
    for (int copy = 0; copy < 10; ++copy)
      page += "<img src='" + row.path.toLatin1() + QByteArray::number(copy) + "'>";
  }
  server.route("/page", image("text/html", page));
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  ASSERT_EQ(webtest::visit(browser, server.url("/page")).size(), 1u);
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    const platform::ImageElement element = browser.document().image(int(i) * 10);
    EXPECT_EQ(QSize(element.width, element.height), rows[i].size);
    EXPECT_EQ(engine.cachedSize(QString::fromStdString(element.src)).isValid(),
              !rows[i].size.isEmpty());
  }
  EXPECT_EQ(server.hits("/small.png"), 20);
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
  // A 1600x1200 JPEG of over 512 KB (its tail padded): the size is in the first few hundred bytes.
  const QByteArray small = webtest::imageBytes("jpeg", 1600, 1200);
  const QByteArray jpeg = small.chopped(2) + QByteArray(600 * 1024, '\0') + small.right(2);
  // The same picture with 40 KB of comments ahead of its size (as a large preview would be).
  QByteArray late = jpeg.left(2);
  for (int i = 0; i < 4; ++i) late += QByteArray("\xFF\xFE\x27\x12", 4) + QByteArray(10000, 'c');
  late += jpeg.mid(2);

  const struct {
    const char* what;
    QByteArray body;
    bool honoursRange;
    int requests;
    qint64 mostBytes;
  } cases[] = {
      {.what = "ranged, size at the start",
       .body = jpeg,
       .honoursRange = true,
       .requests = 1,
       .mostBytes = 16 * 1024},
      {.what = "ranged, size beyond the first bytes",
       .body = late,
       .honoursRange = true,
       .requests = 2,
       .mostBytes = 16 * 1024 + 256 * 1024},
      {.what = "whole body sent anyway",
       .body = jpeg,
       .honoursRange = false,
       .requests = 1,
       .mostBytes = 256 * 1024},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HttpFixture files;
    files.route("/big.jpg", [c](const webtest::Request& request) {
      return c.honoursRange ? ranged(c.body, request) : image("image/jpeg", c.body);
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
