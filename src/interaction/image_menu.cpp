#include "interaction/image_menu.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void page_onclick(Program&, std::int32_t) {}
bool page_onclick_sink(Program&, int) { return false; }
