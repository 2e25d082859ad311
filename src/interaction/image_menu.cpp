#include "interaction/image_menu.h"

#include <string>
#include <vector>

#include "core/logs.h"
#include "core/program.h"
#include "display/slideshow.h"
#include "interaction/popup_menu.h"
#include "interaction/save_image.h"
#include "interaction/shell_open.h"

namespace {

enum ImageMenuId { BrowsePic = 1, BrowseSite = 2, Save = 4, Raise = 6, Lower = 7, Hide = 8 };

void openAndClose(Program& program, const std::string& address) {
  GShell(program, address, 10, "", "", "open", 0);  // a failure is not the user's concern
  program.form().close();
}

}  // namespace

void page_onclick(Program& program, std::int32_t index) {
  AddTrace(program, "page_onclick IN");
  // One menu at a time: the slot a menu acts on must stay the one that was clicked.
  if (!program.menuOpen) {
    const std::vector<std::string> items = {
        "Browse Pic", program.settings.AdultMode ? "Browse Site" : "!Browse Site",
        "-",          "Save Image",
        "-",          "Raise",
        "Lower",      "Hide"};
    cPopupMenu menu;
    const std::int32_t id = menu.Popup(program, items);
    const SlotInfo& info = program.slotInfo.at(static_cast<std::size_t>(index));
    switch (id) {
      case BrowsePic:
        openAndClose(program, info.picUrl);
        break;
      case BrowseSite:
        openAndClose(program, info.siteUrl);
        break;
      case Save:
        SaveImage(program, program.browser(index).document(), SaveBy::User, info.pageUrl);
        break;
      case Raise:
        SetBrowser(program, index, true);
        break;
      case Lower:
        SetBrowser(program, index, false);
        break;
      case Hide:
        program.picbox(index).setVisible(false);
        break;
      default:
        break;
    }
  }
  AddTrace(program, "page_onclick OUT");
}

bool page_onclick_sink(Program& program, int slot) {
  page_onclick(program, slot);
  return false;  // the image's link is never followed
}
