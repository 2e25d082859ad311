// The message window's Qt widgets.
//
// [ ] the real window (a later change builds it); this keeps the text only
#pragma once

#include <memory>

#include "platform/message_view.h"

namespace desktop {

class QtMessageView : public platform::MessageView {
 public:
  // The window's timer comes from the desktop platform, like every other timer.
  explicit QtMessageView(std::unique_ptr<platform::Timer> timer) : timer_(std::move(timer)) {}
  void setText(const std::string& text) override { text_ = text; }
  int textWidth() const override { return 0; }
  int textHeight() const override { return 0; }
  void placeText(int, int) override {}
  void setGeometry(int, int, int, int) override {}
  void show() override {}
  void hide() override {}
  void bringToFront() override {}
  bool isShown() const override { return false; }
  platform::Timer& msgTextTimer() override { return *timer_; }

 private:
  std::string text_;
  std::unique_ptr<platform::Timer> timer_;
};

}  // namespace desktop
