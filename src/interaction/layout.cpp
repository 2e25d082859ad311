#include "interaction/layout.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void Form_Resize(Program&) {}
void ResizeBrowsers(Program&, std::int16_t) {}
void ResizeIBrowser(Program&, std::int32_t) {}
void Form_MouseDown(Program&, int) {}
