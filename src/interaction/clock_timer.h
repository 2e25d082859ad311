// The clock label, the uptime, and the watchdog of the work browser and the slideshow.
#pragma once

#include <string>

#include "platform/clock.h"

struct Program;

void timeTimer_Timer(Program& program);
std::string FormatInterval(platform::LocalTime start, platform::LocalTime end);
