// The screen saver's window to draw into: $XSCREENSAVER_WINDOW, "-window-id <id>" on the
// command line (decimal or 0x hexadecimal), or the root window for "-root"; and its size.
//
// [X] the environment variable and the option, the option winning; -root
// [X] the foreign window's size, asked of the X server
// [ ] following the foreign window when it is resized later
#pragma once

#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWindow>
#include <optional>

namespace desktop {

std::optional<WId> screenSaverWindow(const QStringList& arguments, const QString& environmentValue);
// A screen saver started the program: it handed over a window or the whole screen, or gave
// the run switch "/s" (the first two characters of the whole argument text).
bool startedByScreenSaver(const QStringList& arguments, const QString& environmentValue);

// The X server's answers; nullopt when not on X11 or the window is gone.
std::optional<WId> rootWindow();
// A foreign window's place on the root window and its size, in device pixels.
std::optional<QRect> foreignWindowArea(WId window);

}  // namespace desktop
