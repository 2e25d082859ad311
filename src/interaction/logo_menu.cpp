#include "interaction/logo_menu.h"

#include <string>
#include <vector>

#include "core/logs.h"
#include "core/program.h"
#include "core/vendor.h"
#include "dialogs/options_dialog.h"
#include "interaction/popup_menu.h"
#include "interaction/shell_open.h"

namespace {

enum LogoMenuId { Config = 1, Home = 3, Forums = 4, Exit = 6 };

void openAndClose(Program& program, const std::string& path) {
  GShell(program, VendorUrl(path), 10, "", "", "open", 0);  // closes whether it opened or not
  program.form().close();
}

}  // namespace

void picLogo_Click(Program& program) {
  AddTrace(program, "picLogo_Click IN");
  program.menuOpen = true;
  const std::vector<std::string> items = {"Config",        "-", "Quorel Home",
                                          "Quorel Forums", "-", "Exit"};
  cPopupMenu menu;
  switch (menu.Popup(program, items)) {
    case Config:
      // The "config" title tells PlaceOptions to sit the dialog in the window's corner.
      program.options->SetTitle("config");
      program.options->PlaceOptions();
      program.options->ShowModal();
      break;
    case Home:
      openAndClose(program, "/quorel");
      break;
    case Forums:
      openAndClose(program, "/forums");
      break;
    case Exit:
      program.form().close();
      break;
    default:
      break;
  }
  program.menuOpen = false;
  AddTrace(program, "picLogo_Click OUT");
}

void picLogo_MouseDown(Program& program, int) {
  program.form().picLogo().setPicture(platform::Picture::LogoIn);
}

void picLogo_MouseUp(Program& program, int) {
  program.form().picLogo().setPicture(platform::Picture::LogoOut);
}
