#include "desktop/qt_mouse_hooks.h"

#include <QApplication>
#include <QMouseEvent>
#include <cmath>

#include "desktop/guarded_call.h"
#include "web/display_view.h"

namespace desktop {

QtMouseHooks::~QtMouseHooks() {
  if (!procedures_.empty() && qApp) qApp->removeEventFilter(this);
}

int QtMouseHooks::installMouseHook(platform::MouseHookProcedure procedure) {
  if (!procedure || !qApp) return 0;
  if (procedures_.empty()) qApp->installEventFilter(this);
  const int handle = nextHandle_++;
  procedures_[handle] = std::move(procedure);
  return handle;
}

void QtMouseHooks::removeMouseHook(int handle) {
  if (procedures_.erase(handle) && procedures_.empty() && qApp) qApp->removeEventFilter(this);
}

bool QtMouseHooks::isBrowserView(const QObject* object) {
  if (!object) return false;
  if (qobject_cast<const web::DisplayView*>(object)) return true;
  return qobject_cast<const web::DisplayView*>(object->parent()) != nullptr &&
         static_cast<const web::DisplayView*>(object->parent())->viewport() == object;
}

bool QtMouseHooks::repeatOfLast(const QMouseEvent& event) {
  const Seen seen{static_cast<int>(event.type()), event.timestamp(), event.globalPosition(),
                  static_cast<int>(event.button())};
  const bool repeat = seen.type == last_.type && seen.timestamp == last_.timestamp &&
                      seen.global == last_.global && seen.button == last_.button;
  last_ = seen;
  return repeat;
}

bool QtMouseHooks::callHooks(const platform::MouseHookEvent& event) {
  if (filtering_) return false;  // a hook that pumps events sees no messages of its own
  filtering_ = true;
  bool swallow = false;
  // Newest first, as hook chains run; a copy, since a procedure may remove itself.
  const auto procedures = procedures_;
  for (auto it = procedures.rbegin(); it != procedures.rend() && !swallow; ++it) {
    guardedCall("mouse hook", [&] { swallow = it->second(event); });
  }
  filtering_ = false;
  return swallow;
}

bool QtMouseHooks::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;  // the window's copy; its widget's follows
  switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      if (repeatOfLast(mouse)) return false;
      platform::MouseHookEvent hook;
      const bool left = mouse.button() == Qt::LeftButton, right = mouse.button() == Qt::RightButton;
      if (event->type() == QEvent::MouseMove)
        hook.message = platform::MouseMessage::Move;
      else if (event->type() == QEvent::MouseButtonPress && left)
        hook.message = platform::MouseMessage::LeftDown;
      else if (event->type() == QEvent::MouseButtonPress && right)
        hook.message = platform::MouseMessage::RightDown;
      else if (event->type() == QEvent::MouseButtonRelease && left)
        hook.message = platform::MouseMessage::LeftUp;
      else if (event->type() == QEvent::MouseButtonRelease && right)
        hook.message = platform::MouseMessage::RightUp;
      hook.xPixels = static_cast<int>(std::lround(mouse.globalPosition().x()));
      hook.yPixels = static_cast<int>(std::lround(mouse.globalPosition().y()));
      hook.overBrowser = isBrowserView(watched);
      return callHooks(hook);
    }
    default:
      return false;
  }
}

}  // namespace desktop
