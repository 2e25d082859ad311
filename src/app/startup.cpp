#include "app/startup.h"

#include "app/image_form.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"

std::optional<int> Startup(Program& program, const std::string& commandLine) {
  program.platform.random().seedFromClock();
  program.menuOpen = false;
  program.navPending = false;

  // Checked before the switches, so a second copy started with /p or /c is refused too.
  if (program.platform.anotherInstanceRunning()) {
    program.platform.dialogs().messageBox("Quorel is already running.", "Whoa");
    return 0;
  }

  const std::string screenSaverSwitch = vb::LCase(vb::Left(commandLine, 2));
  if (screenSaverSwitch == "/p") return 0;  // preview: nothing is drawn
  if (screenSaverSwitch == "/c") {
    program.options->PlaceOptions();
    program.options->ShowModal();
    return 0;
  }

  program.options->Load();
  program.message->Load();
  program.startTime = program.now();
  program.lastActivity = program.now();

  Form_Load(program);
  program.form().show();
  return std::nullopt;
}
