#include "support/fake_controls.h"

#include <algorithm>

#include "platform/run_time_error.h"

namespace fake {

void Stacking::toFront(FakeControl* control) {
  std::erase(order, control);
  order.push_back(control);
}

void Stacking::toBack(FakeControl* control) {
  std::erase(order, control);
  order.insert(order.begin(), control);
}

int Stacking::indexAmongSiblings(const FakeControl* control) const {
  int index = 0;
  for (const FakeControl* other : order) {
    if (other == control) return index;
    if (other->container() == control->container()) ++index;
  }
  return -1;
}

FakeControl::FakeControl(Stacking* stacking, std::string name)
    : stacking_(stacking), name_(std::move(name)) {
  if (stacking_) stacking_->order.push_back(this);
}

void FakeControl::setWidth(int v) {
  if (v < 0) throw platform::invalidCall();
  width_ = v;
}

void FakeControl::setHeight(int v) {
  if (v < 0) throw platform::invalidCall();
  height_ = v;
}

void FakeControl::move(int left, int top, int width, int height) {
  if (width < 0 || height < 0) throw platform::invalidCall();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void FakeControl::zOrder(int position) {
  if (!stacking_) return;
  if (position == 0)
    stacking_->toFront(this);
  else
    stacking_->toBack(this);
}

void FakeControl::setContainer(platform::Control& container) { container_ = &container; }

int FakeControl::stackIndex() const { return stacking_ ? stacking_->indexAmongSiblings(this) : -1; }

void FakeLabel::setCaption(const std::string& text) {
  caption_ = text;
  if (!autoSize_) return;
  // Auto-size: 7 pixels a character of the longest line, 13 pixels a line (at 15 twips).
  int lines = 1, longest = 0, current = 0;
  for (char c : text) {
    if (c == '\n') {
      ++lines;
      current = 0;
    } else if (c != '\r') {
      longest = std::max(longest, ++current);
    }
  }
  FakeControl::setWidth(longest * 7 * 15);
  FakeControl::setHeight(lines * 13 * 15);
}

}  // namespace fake
