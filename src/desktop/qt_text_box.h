// QtTextBox: the address box: a frameless, read-only QLineEdit, grey text on black.
//
// [X] text in and out, caret at the start so the address reads from its beginning
#pragma once

#include <QLineEdit>

#include "desktop/twips_control.h"

namespace desktop {

class QtTextBox : public TwipsControl, public platform::TextBox {
 public:
  QtTextBox(QLineEdit& widget, const platform::Screen& screen);
  std::string text() const override { return widget_.text().toStdString(); }
  void setText(const std::string& text) override;

  // The address box's look, for a line edit made elsewhere.
  static void style(QLineEdit& edit);

 private:
  QLineEdit& widget_;
};

}  // namespace desktop
