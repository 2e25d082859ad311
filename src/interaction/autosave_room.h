// Auto-save waits while the save folder's disk is nearly full, so an unattended show cannot
// fill it: it stops below 1 GiB or 5 % of the disk free, whichever is more, and goes on
// once there is room again. One status line when it stops, one when it goes on.
#pragma once

struct Program;

// True when auto-save may save the next display page (or the space cannot be told, so the
// save itself reports what goes wrong).
bool AutosaveHasRoom(Program& program);
