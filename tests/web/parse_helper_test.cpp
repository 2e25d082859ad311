// The parse helper: whatever goes wrong in it (sandbox, overrun, crash, garbage) costs one
// document, and the next one parses. (Its models, through the browser: browser_contract_test.cpp
// and navigation_test.cpp, where a page it gave up on is a NavigateError.)
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "http_fixture.h"
#include "web/engine.h"
#include "web/parse_client.h"
#include "web/parse_wire.h"

namespace {

const QByteArray kProbe = "<!--quorel-parse:sandbox-probe-->";
const QUrl kUrl("http://page.test/dir/index.html");

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
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
  return result;
}

class ParseHelper : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("QUOREL_PARSE_SELFTEST", "1"); }
  void TearDown() override { qunsetenv("QUOREL_PARSE_SELFTEST"); }
  web::ParseClient client{web::ParseClient::locateHelper()};
};

TEST_F(ParseHelper, AForbiddenCallKillsTheHelper) {
  QProcess helper;
  helper.start(web::ParseClient::locateHelper());
  ASSERT_TRUE(helper.waitForStarted());
  helper.write(web::wire::encodeRequest({kUrl, kProbe}));
  ASSERT_TRUE(helper.waitForFinished(5000));
  EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
  EXPECT_EQ(helper.exitCode(), SIGSYS);
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
