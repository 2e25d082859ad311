// The local date-time, and the user's names of weekdays and months.
#pragma once

#include <chrono>
#include <string>

namespace platform {

// Local wall-clock time (no time zone), to the millisecond.
using LocalTime = std::chrono::local_time<std::chrono::milliseconds>;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() const = 0;
  // Names in the user's language: weekday 0 = Sunday .. 6; month 1..12.
  virtual std::string weekdayName(unsigned weekday) const = 0;
  virtual std::string monthShortName(unsigned month) const = 0;
};

}  // namespace platform
