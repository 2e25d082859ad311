// Whole reads and writes on the parse helper's pipes, through interruptions and short counts.
#pragma once

#include <cstddef>

namespace parse_helper {

// False at the end of input or on an error, with part of it perhaps done.
bool readFully(int fd, char* data, std::size_t size);
bool writeFully(int fd, const char* data, std::size_t size);

}  // namespace parse_helper
