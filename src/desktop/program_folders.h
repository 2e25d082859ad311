// Where the program keeps its logs and finds the user's pictures, and its executable's name.
//
// [X] the executable's folder when writable, else $XDG_STATE_HOME/quorel (created)
// [X] the user's pictures folder (home when the desktop names none)
#pragma once

#include <QString>

namespace desktop {

// folder: the executable's folder; the fallback is made when needed. No trailing separator.
QString programFolderFor(const QString& executableFolder);
QString programFolder();
QString picturesFolder();
QString executableName();

}  // namespace desktop
