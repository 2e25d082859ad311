#include "desktop/qt_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace desktop {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; a close can report a write that failed late (network file systems).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// One entry of the folder: no separator, no way up or to the folder itself.
bool isOneEntry(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::string reason(int error) { return std::strerror(error); }

platform::SaveError writeFailure(int error) {
  if (error == ENOSPC || error == EDQUOT) return {platform::kDiskFull, "Disk full"};
  return {platform::kDeviceIoError, "Device I/O error: " + reason(error)};
}

platform::SaveError moveFailure(int error) {
  if (error == EEXIST) return {platform::kFileExists, "File already exists"};
  if (error == ENOSPC || error == EDQUOT) return {platform::kDiskFull, "Disk full"};
  return {platform::kPathFileAccessError, "Path/file access error: " + reason(error)};
}

// Writes, syncs and closes the file; 0 or the errno value of the first failure.
int writeWhole(Descriptor& file, const std::string& bytes) {
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(file.get(), next, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    next += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(file.get()) != 0) return errno;
  return file.close();
}

// A fresh name for the temporary file; hidden, and never one a saved picture gets.
std::string temporaryName() {
  static std::mt19937_64 random{std::random_device{}()};
  char name[64];
  std::snprintf(name, sizeof name, ".quorel-%d-%016llx.part", static_cast<int>(::getpid()),
                static_cast<unsigned long long>(random()));
  return name;
}

// Labels the open file with its origin; false when any label could not be written.
bool keepOrigin(int fd, const platform::FileOrigin& origin) {
  bool kept = true;
  const std::pair<const char*, const std::string*> labels[] = {
      {"user.xdg.origin.url", &origin.url}, {"user.xdg.referrer.url", &origin.referrer}};
  for (const auto& [label, value] : labels) {
    if (!value->empty() && ::fsetxattr(fd, label, value->data(), value->size(), 0) != 0)
      kept = false;
  }
  return kept;
}

}  // namespace

bool QtFileStore::exists(const std::string& folder, const std::string& name) {
  if (!isOneEntry(name)) return false;  // saveNew refuses it with its own error
  struct stat status;
  // The last component is not followed: a link that leads nowhere still takes the name.
  return ::lstat((folder + "/" + name).c_str(), &status) == 0;
}

int QtFileStore::moveWithoutReplacing(int dir, const char* from, const char* to, bool useRename) {
  if (useRename) {
    if (::renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  }
  // linkat fails on a taken name just as the rename does.
  if (::linkat(dir, from, dir, to, 0) != 0) return errno;
  ::unlinkat(dir, from, 0);
  return 0;
}

platform::SaveError QtFileStore::saveNew(const std::string& folder, const std::string& name,
                                         const std::string& bytes,
                                         const platform::FileOrigin& origin) {
  if (!isOneEntry(name)) return {52, "Bad file name or number"};
  // The folder itself may be a link (a Pictures folder kept elsewhere): it is opened as given.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {76, "Path not found"};
    return {platform::kPathFileAccessError, "Path/file access error: " + reason(errno)};
  }

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
    temporary = temporaryName();
    fd = ::openat(dir.get(), temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (errno == ENOSPC || errno == EDQUOT) return {platform::kDiskFull, "Disk full"};
    return {platform::kPathFileAccessError, "Path/file access error: " + reason(errno)};
  }
  Descriptor file(fd);
  const bool originKept = keepOrigin(file.get(), origin);

  if (const int error = writeWhole(file, bytes); error != 0) {
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    return writeFailure(error);
  }
  if (const int moved = moveWithoutReplacing(dir.get(), temporary.c_str(), name.c_str());
      moved != 0) {
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    return moveFailure(moved);
  }
  ::fsync(dir.get());  // the new name survives a crash; the file is whole either way
  return {0, {}, originKept};
}

std::optional<platform::DiskSpace> QtFileStore::space(const std::string& folder) {
  struct statvfs fs;
  if (folder.empty() || ::statvfs(folder.c_str(), &fs) != 0) return std::nullopt;
  return platform::DiskSpace{static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize,
                             static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize};
}

}  // namespace desktop
