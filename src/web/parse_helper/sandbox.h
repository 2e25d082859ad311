// The parse helper's confinement, entered once at start-up: a cap on its address space, then
// no new privileges and a system-call filter that leaves reading stdin, writing stdout and
// stderr, memory, time and dying (a signal to itself only). Anything else (open, socket, exec,
// a signal to another process ...) kills the process with SIGSYS.
#pragma once

#include <cstddef>

namespace parse_helper {

// False (with a line on stderr) when the kernel refused; the helper then does not serve.
bool limitMemory(std::size_t bytes);
bool enterSandbox();

}  // namespace parse_helper
