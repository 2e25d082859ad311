// The parse helper: whatever goes wrong in it (sandbox, overrun, crash, garbage) costs one
// document, and the next one parses; a helper gone bad (tests/web/misbehaving_helper) costs
// no more memory than its page allows. (Its models, through the browser:
// browser_contract_test.cpp and navigation_test.cpp, where a page it gave up on is a
// NavigateError.)
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <functional>

#include "http_fixture.h"
#include "web/engine.h"
#include "web/parse_client.h"
#include "web/parse_wire.h"

namespace {

const QByteArray kProbe = "<!--quorel-parse:sandbox-probe-->";
const QUrl kUrl("http://page.test/dir/index.html");
const QString kMisbehaving = QStringLiteral(QUOREL_BINARY_DIR "/quorel-parse-misbehaving");
constexpr qint64 kMiB = 1024 * 1024;

qint64 statusBytes(const QByteArray& field) {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field + ':'))
      return line.mid(field.size() + 1).trimmed().split(' ')[0].toLongLong() * 1024;
  }
  return -1;
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

// What this process writes to stderr meanwhile, in a file.
class ErrorCapture {
 public:
  ErrorCapture() {
    file_.open();
    std::fflush(stderr);
    saved_ = dup(2);
    dup2(file_.handle(), 2);
  }
  ~ErrorCapture() { restore(); }
  QByteArray text() {
    restore();
    file_.seek(0);
    return file_.readAll();
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  QTemporaryFile file_;
  int saved_ = -1;
};

QByteArray misnested(int bytes) { return QByteArray("<b>x<div>y</b>z").repeated(bytes / 15); }

std::shared_ptr<web::DocumentModel> parseAsync(web::ParseClient& client, const QByteArray& html,
                                               int budgetMs = 2000) {
  std::shared_ptr<web::DocumentModel> result;
  bool done = false;
  QObject context;
  client.parse(html, kUrl, budgetMs, &context, [&](std::shared_ptr<web::DocumentModel> model) {
    result = std::move(model);
    done = true;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, budgetMs + 10000));
  return result;
}

class ParseHelper : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("QUOREL_PARSE_SELFTEST", "1"); }
  void TearDown() override { qunsetenv("QUOREL_PARSE_SELFTEST"); }
  web::ParseClient client{web::ParseClient::locateHelper()};
};

TEST_F(ParseHelper, AForbiddenCallKillsTheHelper) {
  const struct Row {
    const char* name;
    QString helper;
    QByteArray markup;
    int signal;
  } rows[] = {
      {.name = "opens a file",
       .helper = web::ParseClient::locateHelper(),
       .markup = kProbe,
       .signal = SIGSYS},
      {.name = "signals the program",
       .helper = kMisbehaving,
       .markup = "signal-parent",
       .signal = SIGSYS},
      // abort() on a failed allocation still ends it the ordinary way
      {
          .name = "signals itself",
          .helper = kMisbehaving,
          .markup = "abort",
          .signal = SIGABRT,
      },
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QProcess helper;
    helper.start(row.helper);
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
    ErrorCapture errors;
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
    EXPECT_LE(written.size(), web::ParseClient::kMaxErrorBytes + 200);
    EXPECT_FALSE(written.contains('\x1b'));
  }
}

TEST_F(ParseHelper, AFailureCostsOneDocumentOnly) {
  const QByteArray normal = "<p>fine</p>";
  struct Case {
    const char* name;
    QByteArray html;
    int budgetMs;
  };
  for (const Case& c : {Case{"sandbox", kProbe, 2000}, Case{"overrun", misnested(400000), 100}}) {
    EXPECT_FALSE(parseAsync(client, c.html, c.budgetMs)) << c.name;
    const auto next = parseAsync(client, normal);
    ASSERT_TRUE(next) << c.name;
    EXPECT_EQ(next->innerText, "fine");
    // The waiting caller is bounded the same way.
    EXPECT_FALSE(client.parseNow(c.html, kUrl, c.budgetMs)) << c.name;
    EXPECT_TRUE(client.parseNow(normal, kUrl, 2000)) << c.name;
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
