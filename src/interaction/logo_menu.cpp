#include "interaction/logo_menu.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void picLogo_Click(Program&) {}
void picLogo_MouseDown(Program&, int) {}
void picLogo_MouseUp(Program&, int) {}
