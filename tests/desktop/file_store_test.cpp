#include "platform/file_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

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

// A user attribute of a file; none when the file has none by that name.
std::optional<std::string> attribute(const fs::path& file, const char* name) {
  const ssize_t size = ::getxattr(file.c_str(), name, nullptr, 0);
  if (size < 0) return std::nullopt;
  std::string value(static_cast<std::size_t>(size), '\0');
  if (::getxattr(file.c_str(), name, value.data(), value.size()) != size) return std::nullopt;
  return value;
}

// Whether the file system of the folder keeps user attributes; when not, why.
std::string userAttributesRefused(const fs::path& folder) {
  const fs::path probe = folder / "probe";
  std::ofstream(probe) << "probe";
  const int result = ::setxattr(probe.c_str(), "user.probe", "1", 1, 0);
  const std::string why = result == 0 ? "" : std::strerror(errno);
  fs::remove(probe);
  return why;
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
  EXPECT_EQ(store.saveNew((root / "pictures").string(), "a.png", bytes, {}).number, 0);
  EXPECT_EQ(readFile(folder / "a.png"), bytes);

  std::ofstream(outside / "kept.txt") << "kept";
  fs::create_symlink("../victim/autostart.desktop", folder / "dangling.desktop");
  fs::create_symlink(outside / "kept.txt", folder / "to-a-file.txt");
  fs::create_directory_symlink(outside, folder / "to-a-folder");
  fs::create_directory(folder / "a-folder");
  for (const char* name :
       {"a.png", "dangling.desktop", "to-a-file.txt", "to-a-folder", "a-folder"}) {
    EXPECT_TRUE(store.exists(folder, name)) << name;
    const auto error = store.saveNew(folder, name, "planted", {});
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
  // The failures' classic numbers.
  constexpr int kBadFileName = 52, kPathFileAccess = 75, kPathNotFound = 76;
  struct Row {
    const char* name;
    fs::path folder;
    std::string file;
    int failure;
    bool rootWrites = false;  // a folder only permissions keep closed
  };
  const Row rows[] = {
      {.name = "missing folder",
       .folder = root / "gone",
       .file = "x.jpg",
       .failure = kPathNotFound},
      {.name = "a file for a folder",
       .folder = folder / "x.jpg",
       .file = "y.jpg",
       .failure = kPathNotFound},
      {.name = "read-only folder",
       .folder = root / "locked",
       .file = "x.jpg",
       .failure = kPathFileAccess,
       .rootWrites = true},
      {
          .name = "a way up",
          .folder = folder,
          .file = "..",
          .failure = kBadFileName,
      },
      {
          .name = "a separator",
          .folder = folder,
          .file = "../victim/x.jpg",
          .failure = kBadFileName,
      },
      {
          .name = "no name",
          .folder = folder,
          .file = "",
          .failure = kBadFileName,
      },
      {.name = "a name too long",
       .folder = folder,
       .file = std::string(300, 'n'),
       .failure = kPathFileAccess},
  };
  std::ofstream(folder / "x.jpg") << "x";
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    if (::getuid() == 0 && r.rootWrites) continue;
    const auto error = store.saveNew(r.folder, r.file, "bytes", {});
    EXPECT_EQ(error.number, r.failure) << error.description;
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
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->total, 0u);
  EXPECT_LE(space->available, space->total);
  EXPECT_FALSE(store.space((root / "gone").string()).has_value());
}

// Where the file system keeps user attributes, each file carries its origin; what is empty or
// too long to keep is left out, and the picture is saved all the same.
TEST_F(QtFileStoreTest, LabelsEachFileWithItsOrigin) {
  if (const std::string why = userAttributesRefused(folder); !why.empty())
    GTEST_SKIP() << "the temporary folder's file system keeps no user attributes: " << why;
  using Attribute = std::optional<std::string>;
  struct Row {
    const char* name;
    platform::FileOrigin origin;
    bool kept;
    Attribute url = {}, referrer = {};
  };
  const std::string tooLong(70000, 'a');  // past what any file system keeps in one attribute
  const Row rows[] = {
      {.name = "both",
       .origin = {"http://pics.test/a.jpg", "http://site.test/gallery.html"},
       .kept = true,
       .url = "http://pics.test/a.jpg",
       .referrer = "http://site.test/gallery.html"},
      {.name = "no page known",
       .origin = {"http://pics.test/a.jpg", ""},
       .kept = true,
       .url = "http://pics.test/a.jpg"},
      {.name = "an address too long to keep",
       .origin = {"http://pics.test/" + tooLong, "http://site.test/"},
       .kept = false,
       .referrer = "http://site.test/"},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string name = std::to_string(n++) + ".jpg";
    const auto result = store.saveNew(folder, name, "JFIF", row.origin);
    EXPECT_EQ(result.number, 0) << result.description;
    EXPECT_EQ(result.originKept, row.kept);
    EXPECT_EQ(readFile(folder / name), "JFIF");
    EXPECT_EQ(attribute(folder / name, "user.xdg.origin.url"), row.url);
    EXPECT_EQ(attribute(folder / name, "user.xdg.referrer.url"), row.referrer);
  }
}

// What a child process with a mount namespace of its own saw when it saved into a ramfs, a
// file system that keeps no extended attributes.
struct RamfsOutcome {
  char refused[160] = {};  // why the ramfs could not be made; empty when it was
  int number = -1;
  bool originKept = true;
  bool whole = false;
};

RamfsOutcome saveIntoRamfs(const fs::path& mountPoint) {
  RamfsOutcome outcome;
  int channel[2];
  if (::pipe(channel) != 0) return outcome;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const auto refuse = [&](const char* step) {
      std::snprintf(outcome.refused, sizeof outcome.refused, "%s: %s", step, std::strerror(errno));
    };
    // Not root: a user namespace of its own may still mount one, with this user as its root.
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    bool isolated = ::unshare(CLONE_NEWNS) == 0;
    if (!isolated && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
      isolated = true;
    }
    if (!isolated) {
      refuse("unshare");
    } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      refuse("making the mounts private");
    } else if (::mount("none", mountPoint.c_str(), "ramfs", 0, "mode=0777") != 0) {
      refuse("mounting a ramfs");
    } else {
      desktop::QtFileStore store;
      const auto result = store.saveNew(mountPoint, "a.jpg", "JFIF",
                                        {"http://pics.test/a.jpg", "http://site.test/"});
      outcome.number = result.number;
      outcome.originKept = result.originKept;
      outcome.whole = readFile(mountPoint / "a.jpg") == "JFIF";
    }
    const bool sent = ::write(channel[1], &outcome, sizeof outcome) == sizeof outcome;
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  if (child > 0 && ::read(channel[0], &outcome, sizeof outcome) != sizeof outcome)
    std::snprintf(outcome.refused, sizeof outcome.refused, "the child sent nothing");
  ::close(channel[0]);
  if (child > 0)
    ::waitpid(child, nullptr, 0);
  else
    std::snprintf(outcome.refused, sizeof outcome.refused, "fork failed");
  return outcome;
}

TEST_F(QtFileStoreTest, AFileSystemWithoutAttributesStillGetsThePicture) {
  fs::create_directories(root / "ramfs");
  const RamfsOutcome outcome = saveIntoRamfs(root / "ramfs");
  if (outcome.refused[0] != '\0')
    GTEST_SKIP() << "no file system without extended attributes could be made: " << outcome.refused;
  EXPECT_EQ(outcome.number, 0);
  EXPECT_FALSE(outcome.originKept);
  EXPECT_TRUE(outcome.whole);
}

}  // namespace
