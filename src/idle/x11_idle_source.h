// Idleness from the X server's MIT-SCREEN-SAVER extension, which tells the time since the last
// input but sends no event for it: asked once when the threshold can first be reached, then at
// most once a second while it is near or past (to see the user come back), never otherwise.
//
// [X] the server's own screen saver turned off (`xset s off`) holds the start back
// [X] the inhibitors held by an org.freedesktop.ScreenSaver service hold it back (inhibited())
// [X] the server's end reported as lost
// [ ] inhibitors of applications that only suspend the server's saver (it cannot be asked)
#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "idle/idle_source.h"

struct xcb_connection_t;

namespace idle {

class X11IdleSource : public IdleSource {
 public:
  X11IdleSource();
  ~X11IdleSource() override;
  X11IdleSource(const X11IdleSource&) = delete;
  X11IdleSource& operator=(const X11IdleSource&) = delete;

  bool start(std::uint32_t thresholdMs) override;
  const char* name() const override { return "X11 MIT-SCREEN-SAVER"; }

  // Asked before each start: true while an application holds the screen saver back.
  std::function<bool()> inhibited;

 private:
  struct Reading {
    std::uint32_t idleMs;
    bool saverDisabled;
  };
  std::optional<Reading> read();
  void check();

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint32_t thresholdMs_ = 0;
  std::uint32_t lastIdleMs_ = 0;
  bool idle_ = false;
  QTimer timer_;
};

}  // namespace idle
