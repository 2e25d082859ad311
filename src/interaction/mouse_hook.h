// The application-wide mouse filter: logo hover, no browser context menu.
#pragma once

#include "platform/mouse_hook.h"

struct Program;

void InstallMouseHook(Program& program);
void RemoveMouseHook(Program& program);
// Returns true when the message is swallowed.
bool MouseHookProc(Program& program, const platform::MouseHookEvent& event);
