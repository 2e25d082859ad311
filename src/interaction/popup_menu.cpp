#include "interaction/popup_menu.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

std::int32_t cPopupMenu::Popup(Program&, const std::vector<std::string>&) { return 0; }
