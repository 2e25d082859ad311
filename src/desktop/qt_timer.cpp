#include "desktop/qt_timer.h"

#include "desktop/guarded_call.h"

namespace desktop {

QtTimer::QtTimer() {
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

void QtTimer::restart() {
  if (enabled_ && interval_ > 0)
    timer_.start(interval_);
  else
    timer_.stop();
}

void QtTimer::setInterval(int milliseconds) {
  interval_ = milliseconds;
  restart();
}

void QtTimer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;  // arming an armed timer keeps its deadline
  enabled_ = enabled;
  restart();
}

void QtTimer::fire() {
  if (firing_ || !handler_) return;
  firing_ = true;
  guardedCall("timer", handler_);
  firing_ = false;
}

}  // namespace desktop
