#include "crawler/work_page.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void workBrowser_DocumentComplete(Program&, const std::string&) {}
