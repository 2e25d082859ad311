#include "desktop/twips_control.h"

#include <algorithm>
#include <cmath>

#include "platform/run_time_error.h"

namespace desktop {

TwipsControl::TwipsControl(QWidget& widget, const platform::Screen& screen)
    : widget_(&widget), screen_(screen) {
  const QRect shown = widget.geometry();
  twips_ = {shown.x() * screen_.twipsPerPixelX(), shown.y() * screen_.twipsPerPixelY(),
            shown.width() * screen_.twipsPerPixelX(), shown.height() * screen_.twipsPerPixelY()};
  // Controls start visible, as on a form, even when made after their window was shown;
  // a window starts hidden until shown.
  if (widget.isWindow()) {
    visible_ = widget.isVisible();
  } else if (!widget.testAttribute(Qt::WA_WState_ExplicitShowHide)) {
    widget.show();
  } else {
    visible_ = !widget.isHidden();
  }
}

int TwipsControl::toPixelsX(int twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / screen_.twipsPerPixelX()));
}

int TwipsControl::toPixelsY(int twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / screen_.twipsPerPixelY()));
}

QRect TwipsControl::pixelsFor(const Twips& t) const {
  return {toPixelsX(t.left), toPixelsY(t.top), toPixelsX(t.width), toPixelsY(t.height)};
}

TwipsControl::Twips TwipsControl::current() const {
  if (!widget_) return twips_;
  const QRect shown = widget_->geometry();
  if (shown == pixelsFor(twips_)) return twips_;
  return {shown.x() * screen_.twipsPerPixelX(), shown.y() * screen_.twipsPerPixelY(),
          shown.width() * screen_.twipsPerPixelX(), shown.height() * screen_.twipsPerPixelY()};
}

int TwipsControl::left() const { return current().left; }
int TwipsControl::top() const { return current().top; }
int TwipsControl::width() const { return current().width; }
int TwipsControl::height() const { return current().height; }

void TwipsControl::place(const Twips& twips) {
  if (twips.width < 0 || twips.height < 0) throw platform::invalidCall();
  twips_ = twips;
  if (widget_) applyGeometry(pixelsFor(twips_));
}

void TwipsControl::setOne(int Twips::*field, int v) {
  Twips t = current();
  t.*field = v;
  place(t);
}

void TwipsControl::setLeft(int v) { setOne(&Twips::left, v); }
void TwipsControl::setTop(int v) { setOne(&Twips::top, v); }
void TwipsControl::setWidth(int v) { setOne(&Twips::width, v); }
void TwipsControl::setHeight(int v) { setOne(&Twips::height, v); }

void TwipsControl::move(int left, int top, int width, int height) {
  place({left, top, width, height});
}

void TwipsControl::applyGeometry(const QRect& pixels) { widget_->setGeometry(pixels); }

void TwipsControl::setVisible(bool visible) {
  visible_ = visible;
  if (widget_) widget_->setVisible(visible);
}

namespace {

// Whether WIDGET already stands in front of (or behind) all its sibling widgets. Qt repaints a
// widget raised or lowered even when it stood there already, and the clock strip asks for its
// place every second.
bool alreadyStacked(const QWidget& widget, bool front) {
  const QWidget* parent = widget.parentWidget();
  if (!parent || widget.isWindow()) return false;
  const QObjectList& siblings = parent->children();  // back to front
  const auto isSibling = [](const QObject* o) {
    return o->isWidgetType() && !static_cast<const QWidget*>(o)->isWindow();
  };
  if (front) {
    const auto it = std::find_if(siblings.rbegin(), siblings.rend(), isSibling);
    return it != siblings.rend() && *it == &widget;
  }
  const auto it = std::find_if(siblings.begin(), siblings.end(), isSibling);
  return it != siblings.end() && *it == &widget;
}

}  // namespace

void TwipsControl::zOrder(int position) {
  if (!widget_ || alreadyStacked(*widget_, position == 0)) return;
  if (position == 0)
    widget_->raise();
  else
    widget_->lower();
}

void TwipsControl::setContainer(platform::Control& container) {
  auto* target = dynamic_cast<TwipsControl*>(&container);
  if (!target || !target->widget_ || !widget_ || target == this) throw platform::invalidCall();
  const Twips kept = current();
  widget_->setParent(target->widget_);  // hides it: Qt's rule for re-parented widgets
  place(kept);
  if (visible_) widget_->show();
}

}  // namespace desktop
