// Everything the logic reaches the world through. The desktop program implements it with Qt
// (desktop/), the tests with a fake of virtual time (tests/support/).
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/file_store.h"
#include "platform/image_transfer.h"
#include "platform/main_window.h"
#include "platform/message_view.h"
#include "platform/mouse_hook.h"
#include "platform/options_view.h"
#include "platform/random_source.h"
#include "platform/screen.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/user_dialogs.h"

namespace platform {

class Platform {
 public:
  virtual ~Platform() = default;

  virtual Clock& clock() = 0;
  virtual RandomSource& random() = 0;
  virtual SettingsStore& settingsStore() = 0;
  virtual Shell& shell() = 0;
  virtual ImageTransfer& transfer() = 0;
  virtual UserDialogs& dialogs() = 0;
  virtual Screen& screen() = 0;
  virtual MouseHooks& mouseHooks() = 0;
  virtual FileStore& fileStore() = 0;

  // The windows; each is created on first use (the "/c" path never creates the main one).
  virtual MainWindow& mainWindow() = 0;
  virtual OptionsView& optionsView() = 0;
  virtual MessageView& messageView() = 0;

  // Lets pending events run once, then returns.
  virtual void doEvents() = 0;
  // True when another copy runs for this user; otherwise this copy holds the instance lock.
  virtual bool anotherInstanceRunning() = 0;
  // The folder for the logs, without a trailing separator.
  virtual std::string programFolder() = 0;
  // The user's pictures folder: the auto-save folder when none is stored.
  virtual std::string picturesFolder() = 0;
  // The program's executable name (for error sources).
  virtual std::string executableName() = 0;
  // Ends the program at once with the given status, after the current handler returns.
  virtual void endProgram(int status) = 0;
};

}  // namespace platform
