#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>

#include "desktop/qt_file_store.h"
#include "support/read_file.h"

namespace {

namespace fs = std::filesystem;

using fake::readFile;

TEST(QtFileStore, WritesWholeFilesOrNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path folder = dir.path().toStdString();
  desktop::QtFileStore store;

  const std::string bytes("\x89PNG\0\r\n", 7);
  const std::string path = (folder / "a.png").string();
  EXPECT_FALSE(store.exists(path));
  EXPECT_EQ(store.saveAtomically(path, bytes).number, 0);
  EXPECT_TRUE(store.exists(path));
  EXPECT_EQ(readFile(path), bytes);

  // Replacing keeps no trace of the older, longer content.
  EXPECT_EQ(store.saveAtomically(path, "ab").number, 0);
  EXPECT_EQ(readFile(path), "ab");

  struct Case {
    const char* name;
    fs::path target;
    int number;
  };
  fs::create_directories(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  fs::create_directories(folder / "a-folder");
  const Case failures[] = {
      {"missing folder", folder / "gone" / "x.jpg", 76},
      {"a folder in the way", folder / "a-folder", 75},
      {"read-only folder", folder / "locked" / "x.jpg", 75},
  };
  const bool root = ::getuid() == 0;
  for (const auto& c : failures) {
    SCOPED_TRACE(c.name);
    if (root && c.number == 75 && std::string(c.name) == "read-only folder")
      continue;  // root writes anyway
    const auto error = store.saveAtomically(c.target.string(), bytes);
    EXPECT_EQ(error.number, c.number);
    EXPECT_FALSE(error.description.empty());
  }
  fs::permissions(folder / "locked", fs::perms::owner_all);
  // Nothing half-written is left anywhere.
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a-folder", "a.png", "locked"}));
}

}  // namespace
