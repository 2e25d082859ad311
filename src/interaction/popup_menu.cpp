#include "interaction/popup_menu.h"

#include "core/program.h"
#include "core/vb_text.h"
#include "platform/user_dialogs.h"

namespace {

platform::MenuEntry menuEntry(const std::string& item) {
  if (vb::Trim(item) == "-") return {platform::MenuEntry::Kind::Separator, ""};
  if (!item.empty() && item.front() == '!')
    return {platform::MenuEntry::Kind::Disabled, vb::Mid(item, 2)};
  return {platform::MenuEntry::Kind::Plain, item};
}

// Clears menuOpen however the menu ends, so a failing menu can never freeze the slideshow.
struct MenuOpenGuard {
  explicit MenuOpenGuard(Program& p) : program(p) { program.menuOpen = true; }
  ~MenuOpenGuard() { program.menuOpen = false; }
  Program& program;
};

}  // namespace

std::int32_t cPopupMenu::Popup(Program& program, const std::vector<std::string>& items) {
  MenuOpenGuard open(program);
  std::vector<platform::MenuEntry> entries;
  entries.reserve(items.size());
  for (const auto& item : items) entries.push_back(menuEntry(item));

  const int id = program.platform.dialogs().popupMenu(entries);
  // Only a plain entry can be chosen; anything else counts as dismissed.
  if (id < 1 || id > static_cast<int>(entries.size())) return 0;
  if (entries[static_cast<std::size_t>(id - 1)].kind != platform::MenuEntry::Kind::Plain) return 0;
  return id;
}
