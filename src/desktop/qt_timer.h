// QtTimer: a window timer on QTimer with the interval/enabled rules of platform::Timer.
//
// [X] enabling an armed timer keeps its deadline; setting the interval restarts the count
// [X] interval 0 never fires; fires every interval until disabled
// [X] no re-entry: a tick that comes while the handler pumps events is dropped
#pragma once

#include <QTimer>
#include <functional>

#include "platform/timer.h"

namespace desktop {

class QtTimer : public platform::Timer {
 public:
  QtTimer();
  int interval() const override { return interval_; }
  void setInterval(int milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override;
  void setOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

  // Whether a tick is scheduled (enabled with a non-zero interval).
  bool armed() const { return timer_.isActive(); }

 private:
  void restart();
  void fire();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = true;  // like a timer dropped on a form: enabled, interval 0, silent
  bool firing_ = false;
  std::function<void()> handler_;
};

}  // namespace desktop
