// Where the link server's lines go: to the sink its owner gave, else to standard error, flushed
// at once (the server runs unattended for days; a line held in a buffer is a line lost).
#pragma once

#include <QString>
#include <functional>

namespace link_server {

using LogSink = std::function<void(const QString&)>;

void WriteLog(const LogSink& sink, const QString& line);

}  // namespace link_server
