#include "crawler/browse_to.h"

#include <chrono>
#include <exception>

#include "core/logs.h"
#include "core/program.h"
#include "crawler/link_filters.h"
#include "crawler/next_url.h"
#include "display/slideshow.h"
#include "interaction/layout.h"
#include "platform/browser.h"

namespace {

void Navigate(Program& program, const std::string& url, ChosenBy chosenBy) {
  if (program.unloading || program.menuOpen || url.empty()) return;
  if (program.navPending) {
    // One navigation at a time: the one under way wins.
    AddStatus(program, "[WTF] BrowseTo called before complete");
    return;
  }
  program.navPending = true;
  AddStatus(program, "[BrowseTo (depth=" + std::to_string(program.depth) + ")] " + url);
  UpdateUrlBox(program, url);
  if (BadLink(program, url)) {
    program.navPending = false;
    return;
  }
  auto& work = program.workBrowser();
  work.setSilent(true);
  if (chosenBy == ChosenBy::Program)
    work.navigateOwn(url);
  else
    work.navigate2(url);
}

void QuitIgnoringFailures(platform::Browser& browser) {
  try {
    browser.quit();
  } catch (const std::exception&) {
  }
}

void Recover(Program& program) {
  if (program.menuOpen) return;  // the menu's own loop is running; a stall is expected
  using namespace std::chrono;
  const auto idle = floor<seconds>(program.now() - program.lastActivity).count();
  if (idle <= 30) return;

  AddStatus(program, "[RecoveryTimer] hmm...");
  QuitIgnoringFailures(program.workBrowser());
  for (int k = 0; k < platform::MainWindow::kSlots; ++k) QuitIgnoringFailures(program.browser(k));
  program.navPending = false;
  program.lastActivity = program.now();
  program.nextTimer().setEnabled(true);
}

}  // namespace

void BrowseTo(Program& program, const std::string& url, ChosenBy chosenBy) {
  AddTrace(program, "BrowseTo IN");
  Navigate(program, url, chosenBy);
  AddTrace(program, "BrowseTo OUT");
}

void workBrowser_NavigateError(Program& program, const std::string&, const std::string&,
                               std::int32_t statusCode, bool& cancel) {
  AddTrace(program, "workBroswer_NavigateError IN");
  if (statusCode == platform::kServerNotFound) {
    AddStatus(program, "[NavError] cannot find server");
  } else if (statusCode == platform::kObjectNotFound || statusCode == 404) {
    AddStatus(program, "[NavError] 404");
  } else {
    AddStatus(program, "[NavError] unhandled error " + std::to_string(statusCode));
  }
  cancel = true;
  program.navPending = false;
  // Frames included: any failure of the work browser starts a fresh crawl at once.
  std::string noPhrase;
  NextUrl(program, noPhrase);
  AddTrace(program, "workBroswer_NavigateError OUT");
}

void workBrowser_NewWindow2(Program& program, bool& cancel) {
  AddTrace(program, "workBroswer_NewWindow2 IN");
  AddStatus(program, std::string("[PopUp] killed (workBrowser, silent=") +
                         (program.workBrowser().silent() ? "True" : "False") + ")");
  // A page that tried to open a window may also have resized its browser.
  ResizeBrowsers(program, -1);
  cancel = true;
  AddTrace(program, "workBroswer_NewWindow2 OUT");
}

void recoveryTimer_Timer(Program& program) {
  AddTrace(program, "recoveryTimer_Timer IN");
  Recover(program);
  AddTrace(program, "recoveryTimer_Timer OUT");
}
