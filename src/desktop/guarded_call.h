// guardedCall: runs a logic handler from a Qt event and keeps any failure that escapes it from
// unwinding through Qt's event loop (which cannot carry exceptions); the failure is logged.
//
// [X] platform::RunTimeError and std::exception, reported on standard error with their source
// [ ] a report in the status log (the logic's handlers trap and log their own failures)
#pragma once

#include <QDebug>
#include <exception>
#include <type_traits>
#include <utility>

#include "platform/run_time_error.h"

namespace desktop {

template <typename Function, typename... Args>
void guardedCall(const char* source, Function&& function, Args&&... args) {
  if constexpr (std::is_constructible_v<bool, const Function&>) {
    if (!function) return;  // an unset std::function: nothing bound
  }
  try {
    std::forward<Function>(function)(std::forward<Args>(args)...);
  } catch (const platform::RunTimeError& error) {
    qWarning("quorel: %s: %d, %s", source, error.number(), error.what());
  } catch (const std::exception& error) {
    qWarning("quorel: %s: %s", source, error.what());
  }
}

}  // namespace desktop
