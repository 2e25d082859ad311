// QtUserDialogs: modal message boxes (OK, Yes/No), the popup menu at the pointer and the
// folder chooser, as Qt Widgets.
//
// [X] OK-only and Yes/No boxes with the program's texts and titles
// [X] popup menu: 1-based positions, separators and greyed entries, 0 when dismissed
// [X] folder chooser starting in a given folder
#pragma once

#include "platform/user_dialogs.h"

class QMenu;

namespace desktop {

class QtUserDialogs : public platform::UserDialogs {
 public:
  void messageBox(const std::string& text, const std::string& title) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  int popupMenu(const std::vector<platform::MenuEntry>& entries) override;
  std::optional<std::string> chooseFolder(const std::string& start) override;

  // Fills a menu with the entries; each action's data is its 1-based position.
  static void fillMenu(QMenu& menu, const std::vector<platform::MenuEntry>& entries);
};

}  // namespace desktop
