#include "link_server/server_log.h"

#include <cstdio>

namespace link_server {

void WriteLog(const LogSink& sink, const QString& line) {
  if (sink) {
    sink(line);
    return;
  }
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace link_server
