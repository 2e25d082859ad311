#include "desktop/qt_clock.h"

#include <QLocale>
#include <ctime>

namespace desktop {

platform::LocalTime QtClock::toLocalTime(std::chrono::system_clock::time_point moment) {
  using namespace std::chrono;
  const auto second = floor<seconds>(moment);
  const std::time_t epoch = system_clock::to_time_t(second);
  std::tm local{};
  if (!localtime_r(&epoch, &local)) return platform::LocalTime{};
  const local_days day{year{local.tm_year + 1900} / month{static_cast<unsigned>(local.tm_mon + 1)} /
                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
  return platform::LocalTime{day} + hours{local.tm_hour} + minutes{local.tm_min} +
         seconds{local.tm_sec} + duration_cast<milliseconds>(moment - second);
}

platform::LocalTime QtClock::now() const {
  using namespace std::chrono;
  const auto moment = system_clock::now();
  const auto minute = floor<minutes>(moment);
  if (minute != zoneLookedUp_) {
    tzset();  // a zone changed while the program runs shows within a minute
    zoneLookedUp_ = minute;
  }
  return toLocalTime(moment);
}

std::string QtClock::weekdayName(unsigned weekday) const {
  // QLocale counts Monday = 1 .. Sunday = 7.
  const int qtDay = weekday % 7 == 0 ? 7 : static_cast<int>(weekday % 7);
  return QLocale().dayName(qtDay, QLocale::LongFormat).toStdString();
}

std::string QtClock::monthShortName(unsigned month) const {
  return QLocale()
      .monthName(static_cast<int>((month + 11) % 12 + 1), QLocale::ShortFormat)
      .toStdString();
}

}  // namespace desktop
