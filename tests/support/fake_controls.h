// Fake positioned controls: plain geometry, visibility, a shared stacking order, containers.
#pragma once

#include <string>
#include <vector>

#include "platform/control.h"

namespace fake {

class FakeControl;

// The stacking order of every control of one window, back first, front last.
struct Stacking {
  std::vector<FakeControl*> order;
};

class FakeControl : public virtual platform::Control {
 public:
  explicit FakeControl(Stacking* stacking = nullptr);

  int left() const override { return left_; }
  int top() const override { return top_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  void setLeft(int v) override { left_ = v; }
  void setTop(int v) override { top_ = v; }
  void setWidth(int v) override { move(left_, top_, v, height_); }
  void setHeight(int v) override { move(left_, top_, width_, v); }
  void move(int left, int top, int width, int height) override;
  bool visible() const override { return visible_; }
  void setVisible(bool v) override { visible_ = v; }
  void zOrder(int position) override;
  void setContainer(platform::Control& container) override { container_ = &container; }

  const platform::Control* container() const { return container_; }

 private:
  Stacking* stacking_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  const platform::Control* container_ = nullptr;
};

class FakePictureBox : public FakeControl, public platform::PictureBox {
 public:
  using FakeControl::FakeControl;
  platform::Picture picture() const override { return picture_; }
  void setPicture(platform::Picture picture) override {
    picture_ = picture;
    ++pictureChanges;
  }
  int pictureChanges = 0;

 private:
  platform::Picture picture_ = platform::Picture::None;
};

class FakeLabel : public FakeControl, public platform::Label {
 public:
  using FakeControl::FakeControl;
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& text) override;
  void setAutoSize(bool on) override { autoSize_ = on; }
  bool autoSize() const { return autoSize_; }

 private:
  std::string caption_;
  bool autoSize_ = true;
};

class FakeTextBox : public FakeControl, public platform::TextBox {
 public:
  using FakeControl::FakeControl;
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace fake
