// A popup menu at the pointer; "-" is a separator, a leading "!" greys an entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Program;

class cPopupMenu {
 public:
  // The 1-based position of the chosen entry, or 0 when dismissed.
  std::int32_t Popup(Program& program, const std::vector<std::string>& items);
};
