#include "display/slideshow.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void nextTimer_Timer(Program&) {}
void SetBrowser(Program&, std::int32_t, bool) {}
void UpdateUrlBox(Program&, const std::string&) {}
void browser_NavigateError(Program&, int, const std::string&, const std::string&, std::int32_t, bool&) {}
void browser_NewWindow2(Program&, int, bool&) {}
