#include "desktop/qt_label.h"

#include <QMouseEvent>

namespace desktop {

LabelWidget::LabelWidget(QWidget* parent) : QLabel(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  setAutoFillBackground(true);
  QFont small = font();
  small.setPointSizeF(8.25);
  setFont(small);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void LabelWidget::mousePressEvent(QMouseEvent* event) { event->accept(); }

QtLabel::QtLabel(LabelWidget& widget, const platform::Screen& screen)
    : TwipsControl(widget, screen), widget_(widget) {}

std::string QtLabel::caption() const { return widget_.text().toStdString(); }

void QtLabel::setCaption(const std::string& text) {
  widget_.setText(QString::fromStdString(text));
  if (autoSize_) widget_.resize(widget_.sizeHint());
}

void QtLabel::setAutoSize(bool on) {
  autoSize_ = on;
  if (on) widget_.resize(widget_.sizeHint());
}

}  // namespace desktop
