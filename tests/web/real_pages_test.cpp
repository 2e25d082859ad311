// Real documentation pages with images, served locally and read through quorel-inspect,
// checked against the files themselves.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include "web_test_support.h"

namespace {

const QString kDocs = "/usr/share/debian-reference";

QJsonObject inspect(const QStringList& arguments, int* exitCode) {
  QProcess process;
  process.start(QUOREL_BINARY_DIR "/quorel-inspect", arguments);
  // The fixture server lives in this process: keep serving while the tool runs.
  if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000))
    process.kill();
  *exitCode = process.exitCode();
  return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

TEST(RealPages, InspectReportsWhatThePagesHold) {
  webtest::testApp();
  if (!QFile::exists(QUOREL_BINARY_DIR "/quorel-inspect"))
    GTEST_SKIP() << "quorel-inspect not built";
  if (!QFile::exists(kDocs + "/index.en.html")) GTEST_SKIP() << "debian-reference-en not installed";
  webtest::HttpFixture server;
  server.serveFolder("/doc/", kDocs);
  for (const char* page : {"index.en.html", "ch01.en.html", "ch04.en.html"}) {
    QFile file(kDocs + "/" + page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString source = QString::fromUtf8(file.readAll());
    const QString url = server.url(QString("/doc/") + page);
    int exitCode = -1;
    const QJsonObject out = inspect({"--allow-private", url}, &exitCode);
    EXPECT_EQ(exitCode, 0) << page;
    EXPECT_EQ(out["url"].toString(), url);
    const QJsonArray events = out["events"].toArray();
    ASSERT_EQ(events.size(), 1) << page;
    EXPECT_EQ(events[0].toObject()["type"].toString(), "DocumentComplete");

    const QJsonArray images = out["images"].toArray();
    EXPECT_EQ(images.size(), source.count(QRegularExpression("<img\\s"))) << page;
    for (const QJsonValue& value : images) {
      const QJsonObject image = value.toObject();
      const QString src = image["src"].toString();
      ASSERT_TRUE(src.startsWith(server.url("/doc/"))) << src.toStdString();
      const QSize onDisk = QImageReader(kDocs + "/" + src.mid(server.url("/doc/").size())).size();
      EXPECT_EQ(image["width"].toInt(), onDisk.width()) << src.toStdString();
      EXPECT_EQ(image["height"].toInt(), onDisk.height()) << src.toStdString();
    }
    const int anchors = source.count(QRegularExpression("<a\\s[^>]*href=")) +
                        source.count(QRegularExpression("<area\\s[^>]*href="));
    EXPECT_EQ(out["links"].toArray().size(), anchors) << page;
    const QString text = out["innerText"].toString();
    // The title is in the head (not rendered) and repeated as the body's first heading.
    QString title = QRegularExpression("<title>([^<]*)</title>").match(source).captured(1);
    title.replace(QChar(0xA0), QChar(u' '));  // rendered as a plain space
    ASSERT_FALSE(title.isEmpty());
    EXPECT_TRUE(text.contains(title)) << page << " " << title.toStdString();
    EXPECT_FALSE(text.contains("<div")) << page;
    EXPECT_TRUE(text.contains("\r\n"));
  }
}

}  // namespace
