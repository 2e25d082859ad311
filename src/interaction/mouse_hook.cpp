#include "interaction/mouse_hook.h"

#include "core/program.h"

void InstallMouseHook(Program& program) {
  program.hookHandle = program.platform.mouseHooks().installMouseHook(
      [&program](const platform::MouseHookEvent& event) { return MouseHookProc(program, event); });
}

void RemoveMouseHook(Program& program) {
  program.platform.mouseHooks().removeMouseHook(program.hookHandle);
  program.hookHandle = 0;
}

// Runs for every mouse message, moves included: keep it to the logo test and one picture
// change at most.
bool MouseHookProc(Program& program, const platform::MouseHookEvent& event) {
  const auto& screen = program.platform.screen();
  const int x = event.xPixels * screen.twipsPerPixelX();
  const int y = event.yPixels * screen.twipsPerPixelY();

  // The window sits at the screen's top-left corner, so screen and window positions agree.
  auto& logo = program.form().picLogo();
  const bool overLogo = logo.left() <= x && x <= logo.left() + logo.width() && logo.top() <= y &&
                        y <= logo.top() + logo.height();
  if (overLogo)
    logo.setPicture(platform::Picture::LogoIn);
  else if (logo.picture() != platform::Picture::LogoOut)
    logo.setPicture(platform::Picture::LogoOut);

  // The browsers' own context menu would offer navigation and source views of the page.
  if (event.message == platform::MouseMessage::RightUp && event.overBrowser) return true;
  return false;
}
