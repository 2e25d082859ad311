#include "core/program.h"

#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"

Program::Program(platform::Platform& host)
    : platform(host),
      options(std::make_unique<OptionsDialog>(*this)),
      message(std::make_unique<MessageWindow>(*this)) {}

Program::~Program() = default;
