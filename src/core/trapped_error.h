// "number, description" of a failure caught by a trapping handler, as its status line shows it.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/run_time_error.h"

inline std::string TrappedError(const std::exception& error) {
  if (const auto* runTime = dynamic_cast<const platform::RunTimeError*>(&error))
    return std::to_string(runTime->number()) + ", " + runTime->description();
  // Library failures get the run-time number of the same kind of failure.
  if (dynamic_cast<const std::out_of_range*>(&error))
    return "9, " + platform::subscriptOutOfRange().description();
  if (dynamic_cast<const std::bad_alloc*>(&error))
    return "7, " + platform::outOfMemory().description();
  return "5, " + std::string(error.what());
}
