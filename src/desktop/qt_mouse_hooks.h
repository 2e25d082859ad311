// QtMouseHooks: the application-wide mouse filter. Every mouse message of the program's
// widgets passes through the installed procedure once (global pixel position, whether it
// targets a web page view); returning true swallows it.
//
// [X] move, left/right press and release; one call per message, not per propagation step
// [ ] context menus: a page view offers none of its own, so there is none to hold back
// [ ] wheel and tablet messages (not passed on)
#pragma once

#include <QObject>
#include <QPointF>
#include <map>

#include "platform/mouse_hook.h"

class QMouseEvent;

namespace desktop {

class QtMouseHooks : public QObject, public platform::MouseHooks {
  Q_OBJECT
 public:
  ~QtMouseHooks() override;
  int installMouseHook(platform::MouseHookProcedure procedure) override;
  void removeMouseHook(int handle) override;

  // Whether a widget is the page view of a web browser (the view or its viewport).
  static bool isBrowserView(const QObject* object);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool callHooks(const platform::MouseHookEvent& event);
  bool repeatOfLast(const QMouseEvent& event);

  std::map<int, platform::MouseHookProcedure> procedures_;
  int nextHandle_ = 1;
  bool filtering_ = false;
  // The last message seen, so its propagation to parent widgets is not hooked again.
  struct Seen {
    int type = 0;
    quint64 timestamp = 0;
    QPointF global;
    int button = 0;
  } last_;
};

}  // namespace desktop
