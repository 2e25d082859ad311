// Where the user's idleness comes from: one of the desktop's idle services, chosen at run time.
//
// - start() arms a watch for `thresholdMs` of no input; false when the service is not there (the
//   next one is tried), and nothing has been left behind.
// - onIdle runs once the user has been idle for the threshold; onActive runs at the first input
//   after that. Each fires at most once per idle period, always in that order.
// - A service that goes away (the compositor or bus ends) calls onLost: the session is over.
// - Applications that inhibit idleness (a video, a presentation) keep onIdle from firing.
#pragma once

#include <cstdint>
#include <functional>

namespace idle {

class IdleSource {
 public:
  virtual ~IdleSource() = default;
  virtual bool start(std::uint32_t thresholdMs) = 0;
  // The service's name for the one line quorel-idle prints when it starts.
  virtual const char* name() const = 0;

  std::function<void()> onIdle;
  std::function<void()> onActive;
  std::function<void()> onLost;
};

}  // namespace idle
