// A file's whole content as bytes ("" when it cannot be read), for tests that check files.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fake {

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace fake
