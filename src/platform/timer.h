// A window timer with the interval/enabled behaviour the logic relies on.
//
// - Enabling a disabled timer with a non-zero interval arms it: it fires one interval later.
// - Enabling an already armed timer does NOT restart its count (arming is idempotent), so the
//   several places that arm the slideshow timer in one cycle keep the first deadline.
// - Setting the interval restarts the count of an enabled timer; interval 0 never fires.
// - A timer stays enabled after firing and fires again every interval until disabled;
//   one-shot use is the handler disabling it.
#pragma once

#include <functional>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual int interval() const = 0;
  virtual void setInterval(int milliseconds) = 0;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  // Called on the user-interface thread each time the timer fires.
  virtual void setOnTimer(std::function<void()> handler) = 0;
};

}  // namespace platform
