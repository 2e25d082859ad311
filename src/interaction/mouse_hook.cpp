#include "interaction/mouse_hook.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

void InstallMouseHook(Program&) {}
void RemoveMouseHook(Program&) {}
bool MouseHookProc(Program&, const platform::MouseHookEvent&) { return false; }
