#include "desktop/qt_text_box.h"

namespace desktop {

QtTextBox::QtTextBox(QLineEdit& widget, const platform::Screen& screen)
    : TwipsControl(widget, screen), widget_(widget) {
  style(widget);
}

void QtTextBox::style(QLineEdit& edit) {
  edit.setReadOnly(true);
  edit.setFrame(false);
  QPalette colours = edit.palette();
  colours.setColor(QPalette::Base, Qt::black);
  colours.setColor(QPalette::Text, QColor(0xC0, 0xC0, 0xC0));
  edit.setPalette(colours);
  QFont small = edit.font();
  small.setPointSizeF(8.25);
  edit.setFont(small);
  edit.setFocusPolicy(Qt::ClickFocus);
}

void QtTextBox::setText(const std::string& text) {
  widget_.setText(QString::fromStdString(text));
  widget_.setCursorPosition(0);
}

}  // namespace desktop
