#include "crawler/next_url.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void NextUrl(Program&, std::string&) {}
