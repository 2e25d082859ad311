// Input that does nothing: for a collage started by quorel-idle, which ends it at the first key
// press or pointer motion. That same input reaches the collage too, and must not open a menu,
// follow a link or save a picture on its way out.
//
// [X] keys, pointer buttons, motion, wheel and touch, in every window of the program
#pragma once

#include <QObject>

namespace desktop {

class InertInput : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installed on the application last, so it sees input before every other filter.
void makeInputInert();

}  // namespace desktop
