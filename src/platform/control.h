// Positioned child controls of a window, in twips (15 twips per logical pixel).
#pragma once

#include <string>

namespace platform {

class Control {
 public:
  virtual ~Control() = default;

  virtual int left() const = 0;
  virtual int top() const = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual void setLeft(int twips) = 0;
  virtual void setTop(int twips) = 0;
  virtual void setWidth(int twips) = 0;
  virtual void setHeight(int twips) = 0;
  // Sets all four at once (one repaint); a negative width or height is a run-time failure.
  virtual void move(int left, int top, int width, int height) = 0;

  virtual bool visible() const = 0;
  virtual void setVisible(bool visible) = 0;

  // 0 brings the control to the front of its siblings, 1 sends it to the back.
  virtual void zOrder(int position) = 0;

  // Re-parents the control; positions are then relative to the new container.
  virtual void setContainer(Control& container) = 0;
};

// The pictures a picture box can show: none, or one of the logo's two states.
enum class Picture { None, LogoIn, LogoOut };

class PictureBox : public virtual Control {
 public:
  virtual Picture picture() const = 0;
  virtual void setPicture(Picture picture) = 0;
};

class Label : public virtual Control {
 public:
  virtual std::string caption() const = 0;
  virtual void setCaption(const std::string& text) = 0;
  // With auto-size on, the label takes the size of its text at each caption change.
  virtual void setAutoSize(bool on) = 0;
};

class TextBox : public virtual Control {
 public:
  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;
};

}  // namespace platform
