// A local date-time broken into its calendar and clock fields.
#pragma once

#include "platform/clock.h"

struct LocalFields {
  int year = 0;
  unsigned month = 0;    // 1..12
  unsigned day = 0;      // 1..31
  unsigned weekday = 0;  // 0 = Sunday .. 6
  int hour = 0;          // 0..23
  int minute = 0;
  int second = 0;
};

LocalFields BreakDown(platform::LocalTime time);
