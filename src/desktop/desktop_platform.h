// DesktopPlatform: everything the logic reaches the world through, on Qt Widgets: the
// windows, timers, browsers on our engine, dialogs, the settings file, the instance lock.
//
// [X] every platform service; windows made on first use
// [X] one engine for all browsers, the link server's private address allowed
// [X] a screen-saver host window for the main window
// [X] endProgram leaves the event loop with the status (or before it is entered)
#pragma once

#include <QPointer>
#include <memory>
#include <optional>

#include "desktop/qt_clock.h"
#include "desktop/qt_file_store.h"
#include "desktop/qt_image_transfer.h"
#include "desktop/qt_mouse_hooks.h"
#include "desktop/qt_screen.h"
#include "desktop/qt_settings_store.h"
#include "desktop/qt_shell.h"
#include "desktop/qt_user_dialogs.h"
#include "desktop/single_instance.h"
#include "desktop/std_random_source.h"
#include "platform/platform.h"

class QWindow;

namespace web {
class Engine;
}

namespace desktop {

class QtMainWindow;

class DesktopPlatform : public platform::Platform {
 public:
  DesktopPlatform();
  ~DesktopPlatform() override;

  // The main window goes into this foreign window of the given size (screen-saver mode);
  // call before the main window is made.
  void setHostWindow(QWindow* host, QRect area);

  platform::Clock& clock() override { return clock_; }
  platform::RandomSource& random() override { return random_; }
  platform::SettingsStore& settingsStore() override { return settings_; }
  platform::Shell& shell() override { return shell_; }
  platform::ImageTransfer& transfer() override { return transfer_; }
  platform::UserDialogs& dialogs() override { return dialogs_; }
  platform::Screen& screen() override { return screen_; }
  platform::MouseHooks& mouseHooks() override { return hooks_; }
  platform::FileStore& fileStore() override { return files_; }
  platform::MainWindow& mainWindow() override;
  platform::OptionsView& optionsView() override;
  platform::MessageView& messageView() override;

  void doEvents() override;
  bool anotherInstanceRunning() override { return instance_.anotherRunning(); }
  std::string programFolder() override;
  std::string picturesFolder() override;
  std::string executableName() override;
  void endProgram(int status) override;

  // The status endProgram was given, if it was called.
  std::optional<int> endStatus() const { return endStatus_; }
  web::Engine& engine() { return *engine_; }

 private:
  std::unique_ptr<web::Engine> engine_;  // first: the picture saver fetches through it
  QtClock clock_;
  StdRandomSource random_;
  QtSettingsStore settings_;
  QtShell shell_;
  QtImageTransfer transfer_;
  QtUserDialogs dialogs_;
  QtScreen screen_;
  QtMouseHooks hooks_;
  QtFileStore files_;
  SingleInstance instance_;
  QPointer<QWindow> host_;
  std::optional<int> endStatus_;
  std::string programFolder_;  // worked out once: every log line asks
  // Windows last, so they go first.
  std::unique_ptr<platform::OptionsView> options_;
  std::unique_ptr<platform::MessageView> message_;
  std::unique_ptr<QtMainWindow> main_;
};

}  // namespace desktop
