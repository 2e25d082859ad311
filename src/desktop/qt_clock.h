// QtClock: the local date-time from the C library (the zone looked up again once a minute, not
// on every reading: the logs read the clock for every line) and the user's day and month names
// from QLocale.
//
// [X] local time to the millisecond, weekday names (long), month names (short)
#pragma once

#include <chrono>

#include "platform/clock.h"

namespace desktop {

class QtClock : public platform::Clock {
 public:
  platform::LocalTime now() const override;
  std::string weekdayName(unsigned weekday) const override;
  std::string monthShortName(unsigned month) const override;

  // MOMENT in the zone the C library last looked up (tzset).
  static platform::LocalTime toLocalTime(std::chrono::system_clock::time_point moment);

 private:
  mutable std::chrono::sys_time<std::chrono::minutes> zoneLookedUp_{};
};

}  // namespace desktop
