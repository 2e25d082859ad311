// The debug logs' files, each opened on its first line and kept open. Every line is handed to
// the system before the call returns, as when each line opened and closed its file, without an
// open and a close per line. A log deleted, emptied or replaced from outside while the program
// runs (its size on disk no longer what this program wrote) is opened anew for the next line. A
// file that cannot be opened or written drops the line: logging never stops the show.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class LogFiles {
 public:
  LogFiles() = default;
  LogFiles(const LogFiles&) = delete;
  LogFiles& operator=(const LogFiles&) = delete;
  ~LogFiles();

  void append(const std::string& path, const std::string& line);

 private:
  struct File {
    std::string path;
    std::FILE* handle = nullptr;
    std::uintmax_t size = 0;  // what the file holds when no one else has touched it
  };
  static bool open(File& file);
  static void close(File& file);

  std::vector<File> files_;  // the status log and the function trace
};
