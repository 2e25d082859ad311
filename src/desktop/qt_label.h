// QtLabel: the clock label: white text on black in a QLabel, sizing itself to its text
// when auto-size is on.
//
// [X] caption, auto-size, the design font (8.25 point sans)
// [X] presses stay on the label (the window's bare surface does not see them)
#pragma once

#include <QLabel>

#include "desktop/twips_control.h"

namespace desktop {

class LabelWidget : public QLabel {
  Q_OBJECT
 public:
  explicit LabelWidget(QWidget* parent);

  // QLabel's own hint, laid out once instead of three times (QLabel also works out a minimum
  // for word wrap, which this label never does), and kept until the text changes. The clock
  // sets its text and asks for the hint every second.
  QSize sizeHint() const override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  mutable QString hintText_;
  mutable QFont hintFont_;
  mutable QSize hint_;
};

class QtLabel : public TwipsControl, public platform::Label {
 public:
  QtLabel(LabelWidget& widget, const platform::Screen& screen);
  std::string caption() const override;
  void setCaption(const std::string& text) override;
  void setAutoSize(bool on) override;
  bool autoSize() const { return autoSize_; }

 private:
  LabelWidget& widget_;
  bool autoSize_ = true;
};

}  // namespace desktop
