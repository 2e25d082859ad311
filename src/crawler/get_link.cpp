#include "crawler/get_link.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void GetLink(Program&, platform::Document&) {}
