// The logic's button numbers (1 left, 2 right, 4 middle) for a Qt mouse button.
//
// [X] left, right, middle; 0 for the others
#pragma once

#include <Qt>

namespace desktop {

inline int buttonNumber(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

}  // namespace desktop
