#include "desktop/qt_label.h"

#include <QMouseEvent>
#include <QStyle>

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

QSize LabelWidget::sizeHint() const {
  const bool plain = textFormat() == Qt::PlainText && !wordWrap() && frameWidth() == 0 &&
                     margin() == 0 && indent() < 0 && !buddy() && !text().isEmpty();
  if (!plain) return QLabel::sizeHint();
  ensurePolished();
  if (hint_.isValid() && hintText_ == text() && hintFont_ == font()) return hint_;
  // As QLabel sizes plain text: a 2000-pixel box, the alignment without its centring.
  const int flags = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()) &
                                     ~(Qt::AlignVCenter | Qt::AlignHCenter));
  const QRect text = fontMetrics().boundingRect(0, 0, 2000, 2000, flags, this->text());
  const QMargins margins = contentsMargins();
  hint_ = (text.size().grownBy(margins)).expandedTo(minimumSize());
  hintText_ = this->text();
  hintFont_ = font();
  return hint_;
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
