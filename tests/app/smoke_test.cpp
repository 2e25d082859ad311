#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/harness.h"

TEST(Smoke, StartsOnTheFakePlatform) {
  fake::Harness h;
  EXPECT_FALSE(Startup(h.program, "").has_value());
  EXPECT_EQ(h.window().caption(), "Quorel v2.0 - ");
}
