// The screen saver's window to draw into: $XSCREENSAVER_WINDOW, or "-window-id <id>" on the
// command line (decimal or 0x hexadecimal). "-root" alone gets a full-screen window of ours.
//
// [X] the environment variable and the option, the option winning
// [ ] drawing into the root window itself
#pragma once

#include <QStringList>
#include <QWindow>
#include <optional>

namespace desktop {

std::optional<WId> screenSaverWindow(const QStringList& arguments, const QString& environmentValue);

}  // namespace desktop
