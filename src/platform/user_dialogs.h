// Modal boxes, the popup menu and the folder chooser.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct MenuEntry {
  enum class Kind { Plain, Separator, Disabled };
  Kind kind = Kind::Plain;
  std::string text;
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A modal box with an OK button only.
  virtual void messageBox(const std::string& text, const std::string& title) = 0;
  // A modal box with Yes and No; true for Yes.
  virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
  // Shows a popup menu at the mouse pointer, modal (events keep running), and returns the
  // 1-based position of the chosen entry, or 0 when dismissed.
  virtual int popupMenu(const std::vector<MenuEntry>& entries) = 0;
  // A folder chooser; nullopt when cancelled.
  virtual std::optional<std::string> chooseFolder(const std::string& start) = 0;
};

}  // namespace platform
