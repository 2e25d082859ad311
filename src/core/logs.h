// The status log and the function trace, written only in debug mode: one line per call,
// "mm/dd/yy hh:nn:ss " + text + CR LF, on disk before the call returns (core/log_files.h).
#pragma once

#include <string>

#include "platform/clock.h"

struct Program;

void AddStatus(Program& program, const std::string& text);
void AddTrace(Program& program, const std::string& text);

// "mm/dd/yy hh:nn:ss " for a local time.
std::string LogTimestamp(platform::LocalTime time);
