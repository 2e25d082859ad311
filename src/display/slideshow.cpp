#include "display/slideshow.h"

#include <string>

#include "core/logs.h"
#include "core/program.h"
#include "crawler/next_url.h"
#include "interaction/layout.h"
#include "platform/browser.h"

void nextTimer_Timer(Program& program) {
  AddTrace(program, "nextTimer_Timer IN");
  program.nextTimer().setEnabled(false);
  // A crawl still under way keeps its turn; the clock timer re-arms us once it is done.
  if (!program.navPending) {
    std::string phrase;
    NextUrl(program, phrase);
  }
  AddTrace(program, "nextTimer_Timer OUT");
}

void SetBrowser(Program& program, std::int32_t index, bool raise) {
  AddTrace(program, "SetBrowser IN");
  program.picbox(index).zOrder(raise ? 0 : 1);
  AddTrace(program, "SetBrowser OUT");
}

void UpdateUrlBox(Program& program, const std::string& url) {
  AddTrace(program, "UpdateUrlBox IN");
  program.form().urlBox().setText(" " + url);
  AddTrace(program, "UpdateUrlBox OUT");
}

void browser_NavigateError(Program& program, int slot, const std::string&, const std::string&,
                           std::int32_t statusCode, bool& cancel) {
  AddTrace(program, "browser_NavigateError IN");
  if (statusCode == platform::kServerNotFound)
    AddStatus(program, "[NavError-B] cannot find server");
  else if (statusCode == platform::kObjectNotFound || statusCode == 404)
    AddStatus(program, "[NavError-B] 404");
  else
    AddStatus(program, "[NavError-B] unhandled error " + std::to_string(statusCode));
  cancel = true;  // no error page of the browser's own
  program.navPending = false;
  // Hidden until the slot is reused; the slideshow timer is already armed.
  program.picbox(slot).setVisible(false);
  AddTrace(program, "browser_NavigateError OUT");
}

void browser_NewWindow2(Program& program, int slot, bool& cancel) {
  AddTrace(program, "browser_NewWindow2 IN");
  AddStatus(program, "[PopUp] " + std::to_string(slot) + " killed");
  // A page that opens windows often resized its own first.
  ResizeBrowsers(program, static_cast<std::int16_t>(slot));
  cancel = true;
  AddTrace(program, "browser_NewWindow2 OUT");
}
