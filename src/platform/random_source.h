// The program's single random source, seeded once at start.
#pragma once

namespace platform {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void seedFromClock() = 0;
  // Uniform in [0, 1), single precision.
  virtual float next() = 0;
};

}  // namespace platform
