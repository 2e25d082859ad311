// The options dialog and the message window of one program, reachable from it
// (program.options, program.message) for as long as this lives. Whoever makes the program
// makes these right after it, so they go first.
#pragma once

#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"

struct Program;

struct SecondaryWindows {
  explicit SecondaryWindows(Program& program);
  ~SecondaryWindows();
  SecondaryWindows(const SecondaryWindows&) = delete;
  SecondaryWindows& operator=(const SecondaryWindows&) = delete;

  OptionsDialog options;
  MessageWindow message;

 private:
  Program& program_;
};
