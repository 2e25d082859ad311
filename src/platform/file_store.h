// Files the program saves (images): whole or not at all, and only inside the folder given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/run_time_error.h"  // the numbers a save fails with

namespace platform {

struct SaveError {
  int number = 0;           // 0: saved
  std::string description;  // why not
  bool originKept = true;   // saved, and its origin with it (see FileOrigin)
};

// Where a saved picture came from, kept with the file as the freedesktop extended attributes
// user.xdg.origin.url (the picture's address) and user.xdg.referrer.url (the page it was shown
// from); an empty field is not written. A file system that cannot keep them still gets the
// picture, reported as originKept false.
struct FileOrigin {
  std::string url;
  std::string referrer;
};

struct DiskSpace {
  std::uint64_t available = 0;  // bytes the program may still write
  std::uint64_t total = 0;      // bytes the file system holds in all
};

// The folder is the user's choice and is followed wherever it leads; a name is one entry
// inside it, and whatever already has that name (a file, a folder, a link leading anywhere or
// nowhere) is never followed, written through or replaced.
class FileStore {
 public:
  virtual ~FileStore() = default;
  // True when anything at all has that name in the folder.
  virtual bool exists(const std::string& folder, const std::string& name) = 0;
  // Writes the bytes to a new file under name: first to a temporary file in the folder, then
  // moved to its name without replacing anything, so no reader ever sees a partial file and a
  // failure leaves nothing behind. A taken name fails with kFileExists. The origin is on the
  // file before it gets its name.
  virtual SaveError saveNew(const std::string& folder, const std::string& name,
                            const std::string& bytes, const FileOrigin& origin) = 0;
  // The space on the folder's file system; none when it cannot be told.
  virtual std::optional<DiskSpace> space(const std::string& folder) = 0;
};

}  // namespace platform
