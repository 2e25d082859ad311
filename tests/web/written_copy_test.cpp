// A page's written copy: the helper parses the copy CleanupHTML will write right after the
// page, so writing exactly that markup takes no wait, whatever the page's size; any other
// write is parsed while the caller waits, and one past its budget leaves the page as loaded.
#include <gtest/gtest.h>

#include "display/neutralised_markup.h"
#include "http_fixture.h"
#include "platform/run_time_error.h"
#include "web/web_browser.h"

namespace {

using webtest::HttpFixture;
using webtest::Reply;

constexpr int kGalleryPictures = 3000;
// Budgets that are not what is tested: a shared machine may be slow.
constexpr int kAmple = 60000;

// About 6 MiB: pictures with their sizes, each in a link and a caption padded out, and a
// script, so the written copy differs from the page as loaded.
QByteArray gallery() {
  QByteArray html = "<html><head><title>Gallery</title><script>self.focus()</script></head><body>";
  const QByteArray caption(2000, 'w');
  for (int i = 0; i < kGalleryPictures; ++i) {
    const QByteArray n = QByteArray::number(i);
    html += "<div class=cell><a href='/photo/" + n + "'><img src='/pictures/" + n +
            ".jpg' width=640 height=480></a><p>" + caption + "</p></div>\n";
  }
  return html + "</body></html>";
}

// Engine warnings said meanwhile.
class WarningCapture {
 public:
  WarningCapture() {
    lines().clear();
    previous_ = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { lines().append(m); });
  }
  ~WarningCapture() { qInstallMessageHandler(previous_); }
  static QStringList& lines() {
    static QStringList said;
    return said;
  }

 private:
  QtMessageHandler previous_;
};

TEST(WrittenCopy, ThePageIsCrawledFromWhatWasWrittenOrKeptAsLoaded) {
  HttpFixture server;
  server.route("/gallery", Reply{.body = gallery()});
  server.route("/small", Reply{.body = "<p><script>window.open()</script><img src=a.png></p>"});
  // Script text the page does not parse; renamed, it takes far longer than the page's budget.
  // Each "self." becomes "self-quorel.": the copy grows past twice the page.
  server.route("/grown-copy",
               Reply{.body = "<img src=a.png><p>" + QByteArray("self.").repeated(40000) + "</p>"});
  server.route("/tangled-script",
               Reply{.body = "<img src=a.png><script>" +
                             QByteArray("<b>x<div>y</b>z").repeated(100000) + "</script>"});
  const struct Row {
    const char* name;
    const char* path;
    bool prepare;
    int parseBudgetMs;    // the page's, and its written copy's
    int writeBudgetMs;    // for a write the helper did not make ahead
    QByteArray appended;  // to the neutralised markup: a write other than predicted
    bool expectWritten;   // else the page as loaded
    int expectImages;
    const char* lastPicture;    // the last image's address, as the crawl reads it
    const char* expectWarning;  // the log line's end, or none
  } rows[] = {
      // A budget the parse of 6 MiB far exceeds: only the prepared copy can be in time.
      {.name = "gallery written as predicted",
       .path = "/gallery",
       .prepare = true,
       .parseBudgetMs = kAmple,
       .writeBudgetMs = 1,
       .appended = {},
       .expectWritten = true,
       .expectImages = kGalleryPictures,
       .lastPicture = "/pictures/2999.jpg",
       .expectWarning = nullptr},
      {.name = "write other than predicted",
       .path = "/small",
       .prepare = true,
       .parseBudgetMs = kAmple,
       .writeBudgetMs = 10000,
       .appended = "<img src=b.png>",
       .expectWritten = true,
       .expectImages = 2,
       .lastPicture = "/b.png",
       .expectWarning = nullptr},
      {.name = "gallery written unpredicted past its budget",
       .path = "/gallery",
       .prepare = false,
       .parseBudgetMs = kAmple,
       .writeBudgetMs = 1,
       .appended = {},
       .expectWritten = false,
       .expectImages = kGalleryPictures,
       .lastPicture = "/pictures/2999.jpg",
       .expectWarning = "was not parsed in time; the page stays as loaded"},
      // Known too slow by the helper: kept at once, however long a write may wait.
      {.name = "copy past the page's budget",
       .path = "/tangled-script",
       .prepare = true,
       .parseBudgetMs = 3000,
       .writeBudgetMs = kAmple,
       .appended = {},
       .expectWritten = false,
       .expectImages = 1,
       .lastPicture = "/a.png",
       .expectWarning = "could not be parsed in time; the page stays as loaded"},
      // Announced, never parsed: kept at once, however long a write may wait.
      {.name = "copy past the length the engine takes back",
       .path = "/grown-copy",
       .prepare = true,
       .parseBudgetMs = kAmple,
       .writeBudgetMs = kAmple,
       .appended = {},
       .expectWritten = false,
       .expectImages = 1,
       .lastPicture = "/a.png",
       .expectWarning = "is longer than the engine takes back; the page stays as loaded"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web::EngineOptions options = webtest::optionsFor(server);
    options.prepareWrittenCopies = row.prepare;
    options.writeParseBudgetMs = row.writeBudgetMs;
    options.parseBudgetMs = row.parseBudgetMs;
    web::Engine engine(options);
    web::WebBrowser browser(engine);
    webtest::Recorder recorder(browser);
    browser.navigate(server.url(row.path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.finished; }, 150000));
    ASSERT_EQ(recorder.events.size(), 1u);
    ASSERT_EQ(recorder.events[0].type, "DocumentComplete");

    // What CleanupHTML does with the work browser's page.
    platform::Document& doc = browser.document();
    const std::string markup = NeutralisedMarkup(doc.innerHTML(), doc.url(), true);
    WarningCapture warnings;
    doc.clear();
    const platform::WriteOutcome outcome = doc.write(markup + row.appended.toStdString());

    EXPECT_EQ(outcome, row.expectWritten ? platform::WriteOutcome::Written
                                         : platform::WriteOutcome::KeptAsLoaded);
    EXPECT_EQ(doc.innerHTML().find("<base href=") != std::string::npos, row.expectWritten);
    EXPECT_EQ(doc.imageCount(), row.expectImages);
    EXPECT_EQ(doc.image(row.expectImages - 1).src, server.url(row.lastPicture).toStdString());
    const QStringList said = warnings.lines();
    if (row.expectWarning) {
      EXPECT_EQ(said.filter(row.expectWarning).size(), 1);
    } else {
      EXPECT_TRUE(said.filter("stays as loaded").isEmpty());
    }
  }
}

}  // namespace

namespace {

// A page whose markup, as the engine would hand it over, grows to five times the page (every
// "&" becomes "&amp;"): reading it fails as the platform's out-of-memory error, and the page
// stays readable as loaded.
TEST(WrittenCopy, MarkupGrownPastItsLimitIsNotHandedOver) {
  HttpFixture server;
  server.route("/ampersands",
               Reply{.body = "<img src=a.png><p>" + QByteArray(200000, '&') + "</p>"});
  web::Engine engine(webtest::optionsFor(server));
  web::WebBrowser browser(engine);
  webtest::Recorder recorder(browser);
  browser.navigate(server.url("/ampersands"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.finished; }, 150000));
  platform::Document& doc = browser.document();
  try {
    (void)doc.innerHTML();
    ADD_FAILURE() << "the markup was handed over";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), 7);
  }
  EXPECT_EQ(doc.imageCount(), 1);
}

}  // namespace
