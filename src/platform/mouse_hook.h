// An application-wide mouse filter: every mouse message of the user-interface thread passes
// through the installed procedure, which may swallow it.
#pragma once

#include <functional>

namespace platform {

enum class MouseMessage { Move, LeftDown, LeftUp, RightDown, RightUp, Other };

struct MouseHookEvent {
  MouseMessage message = MouseMessage::Other;
  int xPixels = 0;  // pointer position on the screen
  int yPixels = 0;
  bool overBrowser = false;  // the target is the page view of a web browser
};

// Returns true to swallow the message.
using MouseHookProcedure = std::function<bool(const MouseHookEvent&)>;

class MouseHooks {
 public:
  virtual ~MouseHooks() = default;
  // Returns a handle for removeMouseHook; 0 when it could not be installed.
  virtual int installMouseHook(MouseHookProcedure procedure) = 0;
  virtual void removeMouseHook(int handle) = 0;
};

}  // namespace platform
