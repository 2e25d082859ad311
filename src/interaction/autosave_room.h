// Auto-save waits while the save folder's disk is nearly full, so an unattended show cannot
// fill it: a file is saved only when 1 GiB stays free after it (5 % of the disk on one smaller
// than 20 GiB, where 1 GiB would be most of it), and saving goes on once there is room again.
// One status line when it stops, one when it goes on.
#pragma once

#include <cstdint>

struct Program;

// True when auto-save may write a file of that many bytes now (or the space cannot be told,
// so the save itself reports what goes wrong).
bool AutosaveHasRoom(Program& program, std::uint64_t bytes);
