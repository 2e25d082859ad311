#include "idle/idle_minutes.h"

#include <gtest/gtest.h>

namespace {

TEST(IdleMinutes, TextBecomesMillisecondsOrNothing) {
  struct Row {
    const char* name;
    const char* text;
    std::optional<std::uint32_t> ms;
  };
  const Row rows[] = {
      {.name = "whole minutes", .text = "10", .ms = 600'000},
      {.name = "a fraction", .text = "0.1", .ms = 6000},
      {.name = "spaces around", .text = " 2.5\t", .ms = 150'000},
      {.name = "one second, the least", .text = "0.0167", .ms = 1002},
      {.name = "under a second", .text = "0.01", .ms = std::nullopt},
      {.name = "zero", .text = "0", .ms = std::nullopt},
      {.name = "negative", .text = "-5", .ms = std::nullopt},
      {.name = "decimal comma", .text = "0,5", .ms = std::nullopt},
      {.name = "a word", .text = "ten", .ms = std::nullopt},
      {.name = "a number and a unit", .text = "10min", .ms = std::nullopt},
      {.name = "empty", .text = "", .ms = std::nullopt},
      {.name = "exponent", .text = "1e3", .ms = std::nullopt},
      {.name = "not a number", .text = "nan", .ms = std::nullopt},
      {.name = "more than 32 bits of milliseconds", .text = "71583", .ms = std::nullopt},
      {.name = "the most", .text = "71582", .ms = 4'294'920'000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(idle::thresholdFromMinutes(row.text), row.ms);
  }
}

}  // namespace
