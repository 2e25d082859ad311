#include "desktop/qt_clock.h"

#include <QLocale>

namespace desktop {

platform::LocalTime QtClock::toLocalTime(const QDateTime& local) {
  using namespace std::chrono;
  const QDate date = local.date();
  const local_days day{year{date.year()} / month{static_cast<unsigned>(date.month())} /
                       std::chrono::day{static_cast<unsigned>(date.day())}};
  return platform::LocalTime{day} + milliseconds{local.time().msecsSinceStartOfDay()};
}

platform::LocalTime QtClock::now() const { return toLocalTime(QDateTime::currentDateTime()); }

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
