// The slideshow timer, the address line, raising slots, and the display browsers' events.
#pragma once

#include <cstdint>
#include <string>

struct Program;

void nextTimer_Timer(Program& program);
void SetBrowser(Program& program, std::int32_t index, bool raise);
void UpdateUrlBox(Program& program, const std::string& url);
void browser_NavigateError(Program& program, int slot, const std::string& url,
                           const std::string& frame, std::int32_t statusCode, bool& cancel);
void browser_NewWindow2(Program& program, int slot, bool& cancel);
