#include "web/parse_helper/pipe_io.h"

#include <unistd.h>

#include <cerrno>

namespace parse_helper {

bool readFully(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t got = read(fd, data, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= std::size_t(got);
  }
  return true;
}

bool writeFully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= std::size_t(put);
  }
  return true;
}

}  // namespace parse_helper
