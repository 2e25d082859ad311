// StdRandomSource: the program's one generator (std::mt19937), seeded once from the clock,
// giving single-precision values uniform in [0, 1).
//
// [X] seeding from the clock, draws in [0, 1)
#pragma once

#include <random>

#include "platform/random_source.h"

namespace desktop {

class StdRandomSource : public platform::RandomSource {
 public:
  void seedFromClock() override;
  float next() override;

 private:
  std::mt19937 generator_;
  std::uniform_real_distribution<float> distribution_{0.0f, 1.0f};
};

}  // namespace desktop
