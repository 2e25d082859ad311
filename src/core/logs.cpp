#include "core/logs.h"

#include <cstdio>

#include "core/local_time.h"
#include "core/program.h"

namespace {

void appendLine(Program& program, const char* fileName, const std::string& text) {
  program.logFiles.append(program.platform.programFolder() + "/" + fileName,
                          LogTimestamp(program.now()) + text + "\r\n");
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
