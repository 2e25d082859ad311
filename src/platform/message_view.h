// The self-closing message window's widgets; its logic lives in dialogs/.
#pragma once

#include <functional>
#include <string>

#include "platform/timer.h"

namespace platform {

class MessageView {
 public:
  virtual ~MessageView() = default;
  virtual void setText(const std::string& text) = 0;  // the label sizes itself to its text
  // Label geometry and window geometry in twips (the window's outer size).
  virtual int textWidth() const = 0;
  virtual int textHeight() const = 0;
  virtual void placeText(int left, int top) = 0;
  virtual void setGeometry(int left, int top, int width, int height) = 0;
  virtual void show() = 0;  // not modal
  virtual void hide() = 0;
  virtual void bringToFront() = 0;
  virtual bool isShown() const = 0;
  virtual Timer& msgTextTimer() = 0;
};

}  // namespace platform
