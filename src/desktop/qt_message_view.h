// QtMessageView: the message window's widgets: a small titled window "Message" that stays
// above the collage without taking the focus, holding one bold label sized to its text.
//
// [X] the label in Tahoma 14.25 point bold (the nearest font when it is missing)
// [X] geometry in twips at 15 per pixel; the outer size includes the frame once it is known
// [X] shown without activation, above the full-screen window
// [X] the closing timer, handed in by the desktop platform
#pragma once

#include <memory>

#include "platform/message_view.h"

class QLabel;
class QWidget;

namespace desktop {

class QtMessageView : public platform::MessageView {
 public:
  // The window's timer comes from the desktop platform, like every other timer.
  explicit QtMessageView(std::unique_ptr<platform::Timer> timer);
  ~QtMessageView() override;

  void setText(const std::string& text) override;
  int textWidth() const override;
  int textHeight() const override;
  void placeText(int left, int top) override;
  void setGeometry(int left, int top, int width, int height) override;
  void show() override;
  void hide() override;
  void bringToFront() override;
  bool isShown() const override;
  platform::Timer& msgTextTimer() override { return *timer_; }

  QWidget& window() const { return *window_; }
  QLabel& label() const { return *label_; }

 private:
  std::unique_ptr<QWidget> window_;
  QLabel* label_ = nullptr;
  std::unique_ptr<platform::Timer> timer_;
};

}  // namespace desktop
