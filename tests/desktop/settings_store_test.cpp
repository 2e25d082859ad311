// The options file: texts come back as written, and a broken or unwritable store gives
// defaults or keeps values in memory instead of failing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "desktop/qt_settings_store.h"
#include "qt_test_app.h"

namespace {

struct SettingsStoreTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
  QTemporaryDir dir;
  QString path(const char* name = "quorel/quorel.conf") {
    return dir.filePath(QString::fromLatin1(name));
  }
  void writeFile(const QString& file, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(SettingsStoreTest, WritesLandInTheOptionsSectionOfTheFile) {
  desktop::QtSettingsStore(path()).write("AutosavePath", "/a, /b");
  QFile file(path());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("[Options]"));
  EXPECT_EQ(desktop::QtSettingsStore(path()).read("AutosavePath", ""), "/a, /b");
}

TEST_F(SettingsStoreTest, HandEditedListsReadAsOneText) {
  writeFile(path(), "[Options]\nAutosavePath=/a, /b\nDebugMode=True\n");
  desktop::QtSettingsStore store(path());
  EXPECT_EQ(store.read("AutosavePath", ""), "/a, /b");
  EXPECT_EQ(store.read("DebugMode", "False"), "True");
}

TEST_F(SettingsStoreTest, BrokenStoresGiveDefaultsAndStillTakeWrites) {
  struct Case {
    const char* name;
    std::function<void(const QString&)> make;
  };
  const Case cases[] = {
      {"binary junk",
       [this](const QString& p) { writeFile(p, QByteArray("\x00\xff[\x01=\n\xfe\x80=[[", 13)); }},
      {"a folder in its place", [](const QString& p) { QDir().mkpath(p); }},
      {"missing", [](const QString&) {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const QString file = dir.filePath(QStringLiteral("case%1/quorel.conf").arg(++n));
    c.make(file);
    desktop::QtSettingsStore store(file);
    EXPECT_EQ(store.read("MinImageSize", "0x0"), "0x0") << c.name;
    store.write("MinImageSize", "50x50");
    EXPECT_EQ(store.read("MinImageSize", "0x0"), "50x50") << c.name;
  }
}

TEST_F(SettingsStoreTest, UnwritableStoreKeepsValuesForThisRun) {
  writeFile(dir.filePath("config"), "not a folder");  // the store's folder cannot be made
  const QString file = dir.filePath(QStringLiteral("config/quorel/quorel.conf"));
  desktop::QtSettingsStore store(file);
  store.write("AutosaveMode", "True");
  EXPECT_EQ(store.read("AutosaveMode", "False"), "True");
  EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(SettingsStoreTest, AFailedSaveDoesNotHideWhatWasRead) {
  const QString file = path();
  writeFile(file, "[Options]\nMaxImageSize=640x480\n");
  desktop::QtSettingsStore store(file);
  QFile::remove(file);
  QDir().mkpath(file);  // saving now fails: a folder took the file's place
  store.write("AdultMode", "True");
  EXPECT_EQ(store.read("MaxImageSize", ""), "640x480");
  EXPECT_EQ(store.read("AdultMode", ""), "True");
}

TEST_F(SettingsStoreTest, DefaultPathFollowsXdgConfigHome) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
  EXPECT_EQ(desktop::QtSettingsStore::defaultPath(), QStringLiteral("/tmp/cfg/quorel/quorel.conf"));
  qputenv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(desktop::QtSettingsStore::defaultPath(),
            QDir::homePath() + "/.config/quorel/quorel.conf");
  if (saved.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
