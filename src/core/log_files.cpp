#include "core/log_files.h"

#include <algorithm>
#include <filesystem>

LogFiles::~LogFiles() {
  for (File& file : files_) close(file);
}

bool LogFiles::open(File& file) {
  file.handle = std::fopen(file.path.c_str(), "ab");
  if (!file.handle) return false;
  std::error_code error;
  file.size = std::filesystem::file_size(file.path, error);
  if (error) close(file);
  return file.handle != nullptr;
}

void LogFiles::close(File& file) {
  if (file.handle) std::fclose(file.handle);
  file.handle = nullptr;
}

void LogFiles::append(const std::string& path, const std::string& line) {
  auto it =
      std::find_if(files_.begin(), files_.end(), [&](const File& f) { return f.path == path; });
  if (it == files_.end()) it = files_.insert(files_.end(), File{.path = path});
  File& file = *it;
  if (file.handle) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) != file.size || error) close(file);
  }
  if (!file.handle && !open(file)) return;
  const bool written = std::fwrite(line.data(), 1, line.size(), file.handle) == line.size();
  if (std::fflush(file.handle) != 0 || !written) {
    close(file);  // the next line tries afresh
    return;
  }
  file.size += line.size();
}
