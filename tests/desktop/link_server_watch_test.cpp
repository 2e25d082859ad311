// The one line about a link server that does not answer: only for the link server's address,
// only after a few failures in a row, and only once.
#include "desktop/link_server_watch.h"

#include <gtest/gtest.h>

#include "qt_test_app.h"
#include "web/engine.h"
#include "web/web_browser.h"

namespace {

TEST(LinkServerWatchTest, SaysOnceAfterAFewFailuresInARow) {
  desktop_test::ensureApplication();
  const QString vendor = QStringLiteral("http://127.0.0.1:8480/quorel/bin/getlinks.asp");
  const QString other = QStringLiteral("http://127.0.0.1:8481/page.html");
  struct Case {
    const char* events;  // f: link server failed, o: another site failed, c: link server page
    int lines;
  };
  const Case cases[] = {
      {"ff", 0}, {"fff", 1}, {"ffffff", 1}, {"ffcff", 0}, {"foffo", 1}, {"ooooo", 0},
  };
  for (const auto& c : cases) {
    web::Engine engine;
    web::WebBrowser browser(engine);
    int lines = 0;
    new desktop::LinkServerWatch(browser, QStringLiteral("127.0.0.1:8480"),
                                 [&](const QString& line) {
                                   EXPECT_TRUE(line.contains(QStringLiteral("quorel-vendor(1)")));
                                   ++lines;
                                 });
    for (const char* e = c.events; *e; ++e) {
      bool cancel = false;
      if (*e == 'c') emit browser.documentComplete(vendor);
      if (*e != 'c') emit browser.navigateError(*e == 'f' ? vendor : other, {}, 404, &cancel);
    }
    EXPECT_EQ(lines, c.lines) << c.events;
  }
}

}  // namespace
