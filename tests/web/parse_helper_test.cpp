// The parse helper: whatever goes wrong in it (sandbox, overrun, crash, garbage) costs one
// document, and the next one parses; a helper gone bad (tests/web/misbehaving_helper) costs
// no more memory than its page allows. (Its models, through the browser:
// browser_contract_test.cpp and navigation_test.cpp, where a page it gave up on is a
// NavigateError.)
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "display/neutralised_markup.h"
#include "error_capture.h"
#include "http_fixture.h"
#include "web/engine.h"
#include "web/parse_client.h"
#include "web/parse_wire.h"

namespace {

const QUrl kUrl("http://page.test/dir/index.html");
const QString kMisbehaving = QStringLiteral(QUOREL_BINARY_DIR "/quorel-parse-misbehaving");
constexpr qint64 kMiB = 1024 * 1024;

// A field of a process's /proc status ("self" or a process id), empty when absent.
QByteArray statusField(const QByteArray& process, const QByteArray& field) {
  QFile status("/proc/" + process + "/status");
  if (!status.open(QIODevice::ReadOnly)) return {};
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field + ':')) return line.mid(field.size() + 1).trimmed();
  }
  return {};
}

qint64 statusBytes(const QByteArray& field) {
  const QByteArray value = statusField("self", field);
  return value.isEmpty() ? -1 : value.split(' ')[0].toLongLong() * 1024;
}

// How far this process's peak resident memory rose while work ran.
qint64 peakGrowth(const std::function<void()>& work) {
  QFile clear("/proc/self/clear_refs");
  if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1) return -1;
  clear.close();
  const qint64 before = statusBytes("VmHWM");
  work();
  return statusBytes("VmHWM") - before;
}

QByteArray misnested(int bytes) { return QByteArray("<b>x<div>y</b>z").repeated(bytes / 15); }

// The longest wait for one answer: a document on a budget of minutes must end by what
// happened to its helper, not by running out of time.
constexpr int kLongestWaitMs = 30'000;

std::shared_ptr<web::DocumentModel> parseAsync(web::ParseClient& client, const QByteArray& html,
                                               int budgetMs = 2000) {
  std::shared_ptr<web::DocumentModel> result;
  bool done = false;
  QObject context;
  client.parse(html, kUrl, budgetMs, &context, [&](std::shared_ptr<web::DocumentModel> model) {
    result = std::move(model);
    done = true;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, std::min(budgetMs + 10000, kLongestWaitMs)));
  return result;
}

class ParseHelper : public ::testing::Test {};

// The shipped helper has no way to try a forbidden call: the kernel tells whether its filter
// is on, once it has answered a document. (What the filter stops: the helper gone bad, below.)
TEST_F(ParseHelper, TheShippedHelperParsesUnderItsFilter) {
  QProcess helper;
  helper.start(web::ParseClient::locateHelper());
  ASSERT_TRUE(helper.waitForStarted());
  helper.write(web::wire::encodeRequest({kUrl, "<p>fine</p>"}));
  ASSERT_TRUE(helper.waitForReadyRead(5000));
  const QByteArray pid = QByteArray::number(helper.processId());
  EXPECT_GT(statusField(pid, "Seccomp_filters").toInt(),
            statusField("self", "Seccomp_filters").toInt());
  EXPECT_EQ(statusField(pid, "NoNewPrivs"), "1");
  helper.closeWriteChannel();
  ASSERT_TRUE(helper.waitForFinished(5000));
  EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
}

TEST_F(ParseHelper, AForbiddenCallKillsTheHelper) {
  const struct Row {
    const char* name;
    QByteArray markup;
    int signal;
  } rows[] = {
      {.name = "opens a file", .markup = "open-file", .signal = SIGSYS},
      {.name = "signals the program", .markup = "signal-parent", .signal = SIGSYS},
      // abort() on a failed allocation still ends it the ordinary way
      {.name = "signals itself", .markup = "abort", .signal = SIGABRT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QProcess helper;
    helper.start(kMisbehaving);
    ASSERT_TRUE(helper.waitForStarted());
    helper.write(web::wire::encodeRequest({kUrl, row.markup}));
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(helper.exitCode(), row.signal);
  }
}

// The limits the engine keeps against its own helper: a reply no larger and with no more items
// than its page allows, refused as soon as it says more, and 64 KiB of error output per
// document passed on.
TEST_F(ParseHelper, AHelperGoneBadCostsItsDocumentAndBoundedMemory) {
  const struct Row {
    const char* name;
    QByteArray markup;
    bool answered;
  } rows[] = {
      {.name = "floods its error output", .markup = "flood-stderr", .answered = true},
      {.name = "sends a 200 MiB reply", .markup = "oversized-reply", .answered = false},
      {.name = "sends 100 MiB of empty links", .markup = "empty-links", .answered = false},
      {.name = "fills its reply's limit with empty links",
       .markup = "empty-links-bytes",
       .answered = false},
      {.name = "sends as many empty links as its page may hold",
       .markup = "empty-links-items",
       .answered = true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web::ParseClient bad(kMisbehaving);
    webtest::ErrorCapture errors;
    std::shared_ptr<web::DocumentModel> model;
    const qint64 growth = peakGrowth([&] { model = parseAsync(bad, row.markup, 8000); });
    EXPECT_EQ(bool(model), row.answered);
    EXPECT_GE(growth, 0);
    // Either large reply, buffered, would be ten times this.
    EXPECT_LT(growth, 20 * kMiB);
    const auto next = parseAsync(bad, "<p>fine</p>");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->innerText, "fine");
    // What it wrote, never a terminal's escape, and one line saying the rest was dropped.
    const QByteArray written = errors.text();
    EXPECT_LE(written.size(), web::kMaxParseErrorBytes + 200);
    EXPECT_FALSE(written.contains('\x1b'));
  }
}

TEST_F(ParseHelper, AFailureCostsOneDocumentOnly) {
  const QByteArray normal = "<p>fine</p>";
  const struct Row {
    const char* name;
    QString helper;
    QByteArray html;
    int budgetMs;
  } rows[] = {
      // Its death ends the document at once, long before its budget would.
      {.name = "killed by its sandbox",
       .helper = kMisbehaving,
       .html = "open-file",
       .budgetMs = 120'000},
      {.name = "over its time budget",
       .helper = web::ParseClient::locateHelper(),
       .html = misnested(400000),
       .budgetMs = 100},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web::ParseClient failing(row.helper);
    EXPECT_FALSE(parseAsync(failing, row.html, row.budgetMs));
    const auto next = parseAsync(failing, normal);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->innerText, "fine");
    // The waiting caller is bounded the same way.
    EXPECT_FALSE(failing.parseNow(row.html, kUrl, row.budgetMs));
    EXPECT_TRUE(failing.parseNow(normal, kUrl, 2000));
    // The helpers it gave up on are let go: only the running one is left.
    EXPECT_TRUE(QTest::qWaitFor([&] { return failing.findChildren<QProcess*>().size() == 1; },
                                kLongestWaitMs));
  }
}

TEST_F(ParseHelper, AHelperThatAnswersWrongOrNotAtAllFailsItsDocuments) {
  QTemporaryDir dir;
  for (const char* script : {"head -c 20 >/dev/null; printf 'garbage!'", "exit 0"}) {
    const QString path = dir.filePath("helper");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("#!/bin/sh\n") + script + "\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    web::ParseClient broken(path);
    EXPECT_FALSE(parseAsync(broken, "<p>x</p>")) << script;
    EXPECT_FALSE(broken.parseNow("<p>x</p>", kUrl, 2000)) << script;
  }
  web::ParseClient missing(dir.filePath("absent"));
  EXPECT_FALSE(missing.parseNow("<p>x</p>", kUrl, 500));
}

// The page's written copy is a document of its own behind the page: each fails alone, a copy
// whose page failed is never waited for, and one that failed is still known by its markup.
TEST_F(ParseHelper, AWrittenCopyFollowsItsPage) {
  const QByteArray script = "<script>self.focus()</script>";
  const struct Row {
    const char* name;
    QByteArray html;
    int budgetMs;
    bool expectPage;
    bool expectCopy;
    bool expectCopyParsed;
  } rows[] = {
      {.name = "ordinary page",
       .html = script + "<p><img src=a.png></p>",
       .budgetMs = 2000,
       .expectPage = true,
       .expectCopy = true,
       .expectCopyParsed = true},
      {.name = "page over budget",
       .html = misnested(400000),
       .budgetMs = 100,
       .expectPage = false,
       .expectCopy = false,
       .expectCopyParsed = false},
      // Script text is not parsed in the page; renamed, it is, for far longer than 2 s.
      {.name = "copy over budget",
       .html = "<script>" + misnested(1500000) + "</script>",
       .budgetMs = 2000,
       .expectPage = true,
       .expectCopy = true,
       .expectCopyParsed = false},
  };
  web::ParseClient client{web::ParseClient::locateHelper()};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::shared_ptr<web::DocumentModel> page;
    std::shared_ptr<const web::WrittenCopy> copy;
    bool copyDone = false;
    QObject context;
    client.parse(
        row.html, kUrl, row.budgetMs, &context,
        [&](std::shared_ptr<web::DocumentModel> model) { page = std::move(model); },
        [&](std::shared_ptr<const web::WrittenCopy> made) {
          copy = std::move(made);
          copyDone = true;
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return copyDone; }, 2 * row.budgetMs + 10000));
    EXPECT_EQ(bool(page), row.expectPage);
    EXPECT_EQ(bool(copy), row.expectCopy);
    EXPECT_EQ(copy && copy->model, row.expectCopyParsed);
    if (page && copy) {
      EXPECT_TRUE(copy->isCopyOf(NeutralisedMarkup(
          page->innerHTML, kUrl.toString(QUrl::FullyEncoded).toStdString(), true)));
    }
    EXPECT_TRUE(parseAsync(client, "<p>fine</p>"));
  }
}

}  // namespace

// A long page parse holds its helper; markup written meanwhile goes to a second one and the
// waiting caller gets its document, the second helper ending once it has been idle.
TEST_F(ParseHelper, AWriteDoesNotWaitBehindALongPageParse) {
  web::Engine engine;
  QObject context;
  bool pageDone = false;
  engine.parser().parse(misnested(400000), kUrl, 2000, &context,
                        [&](std::shared_ptr<web::DocumentModel>) { pageDone = true; });
  ASSERT_FALSE(engine.parser().idle());
  web::ParseClient& writer = engine.writeParser();
  ASSERT_NE(&writer, &engine.parser());
  const auto written = writer.parseNow("<img src='a.png'>", kUrl, 1500);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->images.size(), 1u);
  EXPECT_FALSE(pageDone);
  ASSERT_TRUE(QTest::qWaitFor([&] { return pageDone; }, 10000));
  EXPECT_EQ(&engine.writeParser(), &engine.parser());
}
