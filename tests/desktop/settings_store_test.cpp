// The options file: texts come back as written, and a broken or unwritable store gives
// defaults or keeps values in memory instead of failing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "desktop/qt_settings_store.h"

namespace {

struct SettingsStoreTest : ::testing::Test {
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

// (Texts come back as written: platform_contract_test.cpp.) A save that fails later does not
// hide what was read.
TEST_F(SettingsStoreTest, TheFileKeepsTextsAndReadsHandEdits) {
  desktop::QtSettingsStore(path()).write("AutosavePath", "/a, /b");
  EXPECT_EQ(desktop::QtSettingsStore(path()).read("AutosavePath", ""), "/a, /b");
  writeFile(path(), "[Options]\nAutosavePath=/c, /d\nDebugMode=True\n");
  desktop::QtSettingsStore edited(path());
  QFile::remove(path());
  QDir().mkpath(path());  // saving now fails: a folder took the file's place
  edited.write("AdultMode", "True");
  EXPECT_EQ(edited.read("AutosavePath", ""), "/c, /d");
  EXPECT_EQ(edited.read("DebugMode", "False"), "True");
  EXPECT_EQ(edited.read("AdultMode", ""), "True");
}

// Unreadable or unwritable, the store gives defaults and keeps what it was given for this run.
TEST_F(SettingsStoreTest, BrokenStoresGiveDefaultsAndStillTakeWrites) {
  enum class InItsPlace { File, Folder, Nothing };
  struct Row {
    const char* name;
    InItsPlace inItsPlace;
    QByteArray content = {};     // the file's
    bool folderIsAFile = false;  // a plain file where the file's folder should be
  };
  const Row rows[] = {
      {.name = "binary junk",
       .inItsPlace = InItsPlace::File,
       .content = QByteArray("\x00\xff[\x01=\n\xfe\x80=[[", 13)},
      {.name = "a folder in its place", .inItsPlace = InItsPlace::Folder},
      {.name = "its folder cannot be made",
       .inItsPlace = InItsPlace::Nothing,
       .folderIsAFile = true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const QString folder = dir.filePath(QString::fromUtf8(r.name));
    if (r.folderIsAFile) writeFile(folder, "not a folder");
    const QString file = folder + "/quorel/quorel.conf";
    if (r.inItsPlace == InItsPlace::Folder) QDir().mkpath(file);
    if (r.inItsPlace == InItsPlace::File) writeFile(file, r.content);
    desktop::QtSettingsStore store(file);
    EXPECT_EQ(store.read("MinImageSize", "0x0"), "0x0");
    store.write("MinImageSize", "50x50");
    EXPECT_EQ(store.read("MinImageSize", "0x0"), "50x50");
  }
}

TEST_F(SettingsStoreTest, DefaultPathFollowsXdgConfigHome) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
  EXPECT_EQ(desktop::QtSettingsStore::defaultPath(), QStringLiteral("/tmp/cfg/quorel/quorel.conf"));
  qputenv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(desktop::QtSettingsStore::defaultPath(),
            QDir::homePath() + "/.config/quorel/quorel.conf");
  saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
