// imageForm: the full-screen window with its controls, in twips.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/browser.h"
#include "platform/control.h"
#include "platform/timer.h"

namespace platform {

class MainWindow : public virtual Control {
 public:
  static constexpr int kSlots = 10;

  virtual std::string caption() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void setBackColor(std::uint32_t rgb) = 0;  // 0 is black
  virtual void setMaximized() = 0;
  // Shows the window, not modally; returns at once.
  virtual void show() = 0;
  // Unloads the window: the unload handler runs, then the program ends.
  virtual void close() = 0;

  virtual Browser& workBrowser() = 0;
  virtual Browser& browser(int slot) = 0;    // 0..9
  virtual PictureBox& picbox(int slot) = 0;  // 0..9, the frame of browser(slot)
  virtual PictureBox& picLogo() = 0;
  virtual Label& timeLab() = 0;
  virtual TextBox& urlBox() = 0;
  virtual Timer& nextTimer() = 0;
  virtual Timer& timeTimer() = 0;
  virtual Timer& recoveryTimer() = 0;

  struct Events {
    std::function<void()> unload;               // the window is closing, by any means
    std::function<void()> resize;               // Form_Resize
    std::function<void(int button)> mouseDown;  // on the bare window surface; 1 = left
    std::function<void()> logoClick;
    std::function<void(int button)> logoMouseDown;
    std::function<void(int button)> logoMouseUp;
    // A monitor was added or removed, or one changed its size, place or the primary mark; the
    // window already covers the new arrangement.
    std::function<void()> monitorsChanged;
  };
  virtual void setEvents(Events events) = 0;
};

}  // namespace platform
