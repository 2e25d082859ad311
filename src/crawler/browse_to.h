// Navigation of the work browser, its error and pop-up events, and stall recovery.
#pragma once

#include <cstdint>
#include <string>

struct Program;

void BrowseTo(Program& program, const std::string& url);
void workBrowser_NavigateError(Program& program, const std::string& url, const std::string& frame,
                               std::int32_t statusCode, bool& cancel);
void workBrowser_NewWindow2(Program& program, bool& cancel);
void recoveryTimer_Timer(Program& program);
