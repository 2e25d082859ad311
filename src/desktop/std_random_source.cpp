#include "desktop/std_random_source.h"

#include <chrono>

namespace desktop {

void StdRandomSource::seedFromClock() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  generator_.seed(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
  distribution_.reset();
}

float StdRandomSource::next() {
  // uniform_real_distribution<float> can round up to 1.0f on some libraries; keep [0, 1).
  const float value = distribution_(generator_);
  return value < 1.0f ? value : 0.0f;
}

}  // namespace desktop
