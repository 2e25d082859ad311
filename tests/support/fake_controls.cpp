#include "support/fake_controls.h"

#include <algorithm>

#include "platform/run_time_error.h"

namespace fake {

FakeControl::FakeControl(Stacking* stacking) : stacking_(stacking) {
  if (stacking_) stacking_->order.push_back(this);
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
  std::erase(stacking_->order, this);
  // 0 brings it to the front (the end), anything else sends it to the back.
  stacking_->order.insert(position == 0 ? stacking_->order.end() : stacking_->order.begin(), this);
}

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
  FakeControl::move(left(), top(), longest * 7 * 15, lines * 13 * 15);
}

}  // namespace fake
