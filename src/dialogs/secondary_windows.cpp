#include "dialogs/secondary_windows.h"

#include "core/program.h"

SecondaryWindows::SecondaryWindows(Program& program)
    : options(program), message(program), program_(program) {
  program.options = &options;
  program.message = &message;
}

SecondaryWindows::~SecondaryWindows() {
  program_.options = nullptr;
  program_.message = nullptr;
}
