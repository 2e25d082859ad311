#include "platform/file_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "desktop/qt_file_store.h"
#include "support/read_file.h"

namespace {

namespace fs = std::filesystem;

using fake::readFile;

// Everything under folder, links not followed, relative names sorted.
std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    names.push_back(entry.path().lexically_relative(folder).generic_string());
  std::sort(names.begin(), names.end());
  return names;
}

struct QtFileStoreTest : ::testing::Test {
  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
  fs::path folder = root / "saved";
  fs::path outside = root / "victim";
  desktop::QtFileStore store;

  void SetUp() override {
    fs::create_directories(folder);
    fs::create_directories(outside);
  }
};

// Saved whole, also into a folder that is itself a link (the user's own choice); whatever has
// the name already is neither replaced nor followed. (A save's name: save_image_test.cpp.)
TEST_F(QtFileStoreTest, WritesNewFilesWholeAndNeverReplacesOrFollows) {
  const std::string bytes("\x89PNG\0\r\n", 7);
  fs::create_directory_symlink(folder, root / "pictures");
  EXPECT_FALSE(store.exists(folder, "a.png"));
  EXPECT_EQ(store.saveNew((root / "pictures").string(), "a.png", bytes).number, 0);
  EXPECT_EQ(readFile(folder / "a.png"), bytes);

  std::ofstream(outside / "kept.txt") << "kept";
  fs::create_symlink("../victim/autostart.desktop", folder / "dangling.desktop");
  fs::create_symlink(outside / "kept.txt", folder / "to-a-file.txt");
  fs::create_directory_symlink(outside, folder / "to-a-folder");
  fs::create_directory(folder / "a-folder");
  for (const char* name :
       {"a.png", "dangling.desktop", "to-a-file.txt", "to-a-folder", "a-folder"}) {
    EXPECT_TRUE(store.exists(folder, name)) << name;
    const auto error = store.saveNew(folder, name, "planted");
    EXPECT_EQ(error.number, platform::kFileExists) << name << ": " << error.description;
  }
  EXPECT_EQ(readFile(folder / "a.png"), bytes);
  EXPECT_EQ(entries(outside), (std::vector<std::string>{"kept.txt"}));
  EXPECT_EQ(readFile(outside / "kept.txt"), "kept");
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"a-folder", "a.png", "dangling.desktop",
                                                       "to-a-file.txt", "to-a-folder"}));
}

TEST_F(QtFileStoreTest, FailuresLeaveNothingBehind) {
  fs::create_directories(root / "locked");
  fs::permissions(root / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const struct {
    const char* what;
    fs::path folder;
    std::string name;
    int number;
  } cases[] = {
      {"missing folder", root / "gone", "x.jpg", 76},
      {"a file for a folder", folder / "x.jpg", "y.jpg", 76},
      {"read-only folder", root / "locked", "x.jpg", 75},
      {"a way up", folder, "..", 52},
      {"a separator", folder, "../victim/x.jpg", 52},
      {"no name", folder, "", 52},
      {"a name too long", folder, std::string(300, 'n'), 75},
  };
  std::ofstream(folder / "x.jpg") << "x";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (::getuid() == 0 && c.number == 75 && c.folder == root / "locked") continue;  // root writes
    const auto error = store.saveNew(c.folder, c.name, "bytes");
    EXPECT_EQ(error.number, c.number) << error.description;
    EXPECT_FALSE(error.description.empty());
  }
  fs::permissions(root / "locked", fs::perms::owner_all);
  EXPECT_EQ(entries(root), (std::vector<std::string>{"locked", "saved", "saved/x.jpg", "victim"}));
}

TEST_F(QtFileStoreTest, TheLinkFallbackNeverReplacesEither) {
  const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dirfd, 0);
  std::ofstream(folder / "taken") << "taken";
  for (const bool useRename : {true, false}) {
    SCOPED_TRACE(useRename);
    std::ofstream(folder / "tmp") << "new";
    EXPECT_EQ(desktop::QtFileStore::moveWithoutReplacing(dirfd, "tmp", "taken", useRename), EEXIST);
    EXPECT_EQ(readFile(folder / "taken"), "taken");
    EXPECT_EQ(desktop::QtFileStore::moveWithoutReplacing(dirfd, "tmp", "free", useRename), 0);
    EXPECT_EQ(readFile(folder / "free"), "new");
    EXPECT_FALSE(fs::exists(folder / "tmp"));
    fs::remove(folder / "free");
  }
  ::close(dirfd);
}

TEST_F(QtFileStoreTest, TellsTheFreeSpace) {
  const auto space = store.space(folder);
  EXPECT_TRUE(space && space->total > 0 && space->available <= space->total);
  EXPECT_FALSE(store.space((root / "gone").string()).has_value());
}

}  // namespace
