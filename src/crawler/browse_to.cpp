#include "crawler/browse_to.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void BrowseTo(Program&, const std::string&) {}
void workBrowser_NavigateError(Program&, const std::string&, const std::string&, std::int32_t, bool&) {}
void workBrowser_NewWindow2(Program&, bool&) {}
void recoveryTimer_Timer(Program&) {}
