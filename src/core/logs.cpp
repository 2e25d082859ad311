#include "core/logs.h"

#include <cstdio>

#include "core/local_time.h"
#include "core/program.h"

namespace {

// Opens, appends one line and closes, so a line is on disk before the call returns.
// A log that cannot be opened or written drops the line: logging never stops the show.
void appendLine(Program& program, const char* fileName, const std::string& text) {
  const std::string path = program.platform.programFolder() + "/" + fileName;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return;
  const std::string line = LogTimestamp(program.now()) + text + "\r\n";
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}

}  // namespace

std::string LogTimestamp(platform::LocalTime time) {
  const LocalFields t = BreakDown(time);
  char text[32];
  std::snprintf(text, sizeof text, "%02u/%02u/%02d %02d:%02d:%02d ", t.month, t.day, t.year % 100,
                t.hour, t.minute, t.second);
  return text;
}

void AddTrace(Program& program, const std::string& text) {
  if (!program.settings.DebugMode) return;
  appendLine(program, "function.log", text);
}

void AddStatus(Program& program, const std::string& text) {
  if (!program.settings.DebugMode) return;
  AddTrace(program, "AddStatus IN");
  appendLine(program, "quorel.log", text);
  AddTrace(program, "AddStatus OUT");
}
