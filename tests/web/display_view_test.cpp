#include "web/display_view.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

#include "http_fixture.h"
#include "web/panel_markup.h"

namespace {

using webtest::HttpFixture;
using webtest::Reply;

class DisplayView : public ::testing::Test {
 protected:
  HttpFixture server;
  web::Engine engine{webtest::optionsFor(server)};
  web::WebBrowser browser{engine};
};

TEST_F(DisplayView, ShowsTheWrittenDisplayPageFromOneFetch) {
  server.route("/pic.png", Reply{200, "image/png", webtest::imageBytes("png", 60, 40)});
  web::DisplayView view(browser);
  view.resize(60 + 40, 40 + 48);
  view.show();

  webtest::visit(browser, server.url("/pic.png"));
  const QString address = server.url("/pic.png");
  EXPECT_TRUE(engine.hasPicture(address));

  // The page the display side writes: coloured body, centred image in a titled link.
  platform::Document& document = browser.document();
  document.close();
  document.write(
      "<head></head><body bgcolor=black><center><a title='Click for options'><IMG "
      "border=0 src=\"" +
      address.toStdString() + "\"></a></center></body>");
  int clicks = 0;
  document.setOnClick([&] {
    ++clicks;
    return false;
  });
  // Its pixels are decoded once the panel has been painted where it is.
  ASSERT_TRUE(QTest::qWaitFor([&] {
    view.grab();
    return !view.keptPart(address).isEmpty();
  }));

  const QImage shot = view.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(2, 2)), QColor(Qt::black));
  EXPECT_EQ(QColor(shot.pixel(view.width() / 2, 10 + 20)), QColor(Qt::red));
  EXPECT_FALSE(view.verticalScrollBar()->isVisible());
  EXPECT_FALSE(view.horizontalScrollBar()->isVisible());

  // The image carries the link's title as its tool tip.
  QTextCursor atImage(view.document());
  atImage.movePosition(QTextCursor::NextCharacter);
  EXPECT_EQ(atImage.charFormat().toolTip(), "Click for options");

  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, 30));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(server.hits("/pic.png"), 1);  // rendered from the cache, not fetched again

  document.clear();  // a cleared document renders as nothing rather than failing
  QCoreApplication::processEvents();
}

// A 400x300 PNG: red on the left half, blue on the right.
Reply halvesPicture() {
  QImage halves(400, 300, QImage::Format_RGB32);
  halves.fill(Qt::red);
  QPainter(&halves).fillRect(200, 0, 200, 300, Qt::blue);
  return Reply{200, "image/png", webtest::encoded(halves, "png")};
}

TEST_F(DisplayView, KeepsOnlyThePixelsInsideTheWindow) {
  server.route("/wide.png", halvesPicture());

  // A 200x150 window showing the right-hand end of a panel larger than itself.
  QWidget window;
  window.resize(200, 150);
  auto* view = new web::DisplayView(browser, &window);
  view->setGeometry(-230, 0, 420, 320);
  window.show();
  webtest::visit(browser, server.url("/wide.png"));
  const QString name = server.url("/wide.png");
  ASSERT_TRUE(QTest::qWaitFor([&] {
    window.grab();
    return !view->keptPart(name).isEmpty();
  }));
  const QImage shot = window.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(100, 75)), QColor(Qt::blue));

  // Drawn 10 px in: window x 0..199 is picture x 220..399, rows 0..139 of it, and only
  // those were decoded. The engine has let the picture go.
  EXPECT_EQ(view->keptPart(name), QRect(220, 0, 180, 140));
  EXPECT_FALSE(engine.hasPicture(name));
  // Painted until the whole picture is held again (it has to be fetched once more first).
  const auto heldWhole = [&](const QString& picture) {
    return QTest::qWaitFor([&] {
      window.grab();
      return view->keptPart(picture) == QRect(0, 0, 400, 300);
    });
  };

  // Moved fully into view, the whole picture is fetched and cut again.
  window.resize(500, 400);
  view->move(0, 0);
  ASSERT_TRUE(heldWhole(name));
  const QImage later = window.grab().toImage();
  EXPECT_EQ(QColor(later.pixel(10 + 50, 10 + 50)), QColor(Qt::red));
  EXPECT_EQ(QColor(later.pixel(10 + 350, 10 + 250)), QColor(Qt::blue));
  EXPECT_EQ(server.hits("/wide.png"), 2);

  // Hidden with its window, it keeps its pixels; hidden itself, it lets them go.
  window.hide();
  EXPECT_EQ(view->keptPart(name), QRect(0, 0, 400, 300));
  window.show();
  view->hide();
  EXPECT_TRUE(view->keptPart(name).isEmpty());
  view->show();
  ASSERT_TRUE(heldWhole(name));
  EXPECT_EQ(server.hits("/wide.png"), 3);

  // The next picture: the previous one's pixels are let go.
  server.route("/next.png", halvesPicture());
  webtest::visit(browser, server.url("/next.png"));
  ASSERT_TRUE(heldWhole(server.url("/next.png")));
  EXPECT_TRUE(view->keptPart(name).isEmpty());
}

// How deeply tables nest under frame (Qt's tables are frames).
int tableDepth(QTextFrame* frame) {
  int deepest = 0;
  for (QTextFrame* child : frame->childFrames()) deepest = std::max(deepest, tableDepth(child));
  return deepest + (qobject_cast<QTextTable*>(frame) ? 1 : 0);
}

// Pages whose own markup a panel would lay out for seconds or forever: written as the display
// side writes a page, each is shown capped (the test finishes), its innermost text included.
TEST_F(DisplayView, ShowsAnyWrittenPageCapped) {
  web::DisplayView view(browser);
  view.resize(400, 300);
  view.show();
  const struct Case {
    const char* name;
    int depth;
    std::string open, close;
  } cases[] = {
      {.name = "tables 30 deep",
       .depth = 30,
       .open = "<table><tr><td>",
       .close = "</td></tr></table>"},
      {.name = "tables 1000 deep",
       .depth = 1000,
       .open = "<table><tr><td>",
       .close = "</td></tr></table>"},
      {
          .name = "lists 1000 deep",
          .depth = 1000,
          .open = "<ul><li>",
          .close = "</li></ul>",
      },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string page = "<body bgcolor=black>";
    for (int i = 0; i < c.depth; ++i) page += c.open;
    page += "innermost";
    for (int i = 0; i < c.depth; ++i) page += c.close;
    browser.document().close();
    browser.document().write(page);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.document()->toPlainText().contains("innermost"));
    EXPECT_LE(tableDepth(view.document()->rootFrame()), web::PanelCaps{}.tableDepth);
  }
}

TEST_F(DisplayView, NeverReadsFiles) {
  web::DisplayView view(browser);
  for (const int type : {QTextDocument::ImageResource, QTextDocument::StyleSheetResource})
    EXPECT_FALSE(view.loadResource(type, QUrl("file:///etc/passwd")).isValid()) << type;
}

}  // namespace
