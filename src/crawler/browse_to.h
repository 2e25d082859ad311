// Navigation of the work browser, its error and pop-up events, and stall recovery.
#pragma once

#include <cstdint>
#include <string>

struct Program;

// Who chose the address: a page (a link, the link list's entry) or the program itself (the link
// list, the version and the searches it builds), which alone may reach the link server.
enum class ChosenBy { Page, Program };

void BrowseTo(Program& program, const std::string& url, ChosenBy chosenBy = ChosenBy::Page);
void workBrowser_NavigateError(Program& program, const std::string& url, const std::string& frame,
                               std::int32_t statusCode, bool& cancel);
void workBrowser_NewWindow2(Program& program, bool& cancel);
void recoveryTimer_Timer(Program& program);
