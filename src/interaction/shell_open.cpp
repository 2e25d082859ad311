#include "interaction/shell_open.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

bool GShell(Program&, std::string, std::int32_t, std::string, std::string, const std::string&, std::int32_t) { return false; }
