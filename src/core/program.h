// The program's shared state: the options, the crawl state, the display slots and the
// platform it runs on. One instance, made by the desktop's main, alive for the whole run; every
// procedure takes it as its first argument.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/log_files.h"
#include "core/settings.h"
#include "platform/platform.h"

class OptionsDialog;
class MessageWindow;

// What the image menu opens for a display slot.
struct SlotInfo {
  std::string picUrl;
  std::int16_t depth = 0;
  std::string siteUrl;
  std::string pageUrl;  // the page the picture was found on, kept with a saved copy
};

struct Program {
  explicit Program(platform::Platform& host) : platform(host) {}

  platform::Platform& platform;
  Settings settings;

  // The crawl state.
  std::int32_t depth = 0;
  std::string phrase;
  std::string startUrl;
  std::string linkCode;
  bool navPending = false;
  bool unloading = false;
  bool menuOpen = false;
  platform::LocalTime startTime{};
  platform::LocalTime lastActivity{};

  std::vector<std::string> badLinks;

  bool autosaveStopped = false;  // the save folder's disk is nearly full (autosave_room)

  // The display slots.
  std::array<SlotInfo, platform::MainWindow::kSlots> slotInfo{};
  std::int32_t nextSlot = 0;

  // The work browser's parking position, in twips.
  std::int32_t workBrowserTop = 0;
  std::int32_t workBrowserLeft = 0;

  int hookHandle = 0;

  LogFiles logFiles;  // the two debug logs, kept open (core/logs.h)

  // The secondary windows' logic, while their owner lives (dialogs/secondary_windows.h).
  OptionsDialog* options = nullptr;
  MessageWindow* message = nullptr;

  // Shortcuts to the main window and its controls.
  platform::MainWindow& form() { return platform.mainWindow(); }
  platform::Browser& workBrowser() { return form().workBrowser(); }
  platform::Browser& browser(int slot) { return form().browser(slot); }
  platform::PictureBox& picbox(int slot) { return form().picbox(slot); }
  platform::Timer& nextTimer() { return form().nextTimer(); }
  platform::LocalTime now() const { return platform.clock().now(); }
  float rnd() { return platform.random().next(); }
};
