// Files the program saves (images): whole or not at all.
#pragma once

#include <string>

namespace platform {

struct SaveError {
  int number = 0;           // 0: saved
  std::string description;  // why not
};

class FileStore {
 public:
  virtual ~FileStore() = default;
  virtual bool exists(const std::string& path) = 0;
  // Writes the bytes to a temporary file beside path and moves it into place, so no reader
  // ever sees a partial file and a failure leaves nothing behind.
  virtual SaveError saveAtomically(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace platform
