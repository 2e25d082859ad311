// QtClock: the local date-time from QDateTime and the user's day and month names from QLocale.
//
// [X] local time to the millisecond, weekday names (long), month names (short)
#pragma once

#include <QDateTime>

#include "platform/clock.h"

namespace desktop {

class QtClock : public platform::Clock {
 public:
  platform::LocalTime now() const override;
  std::string weekdayName(unsigned weekday) const override;
  std::string monthShortName(unsigned month) const override;

  static platform::LocalTime toLocalTime(const QDateTime& local);
};

}  // namespace desktop
