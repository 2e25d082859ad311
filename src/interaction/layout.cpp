#include "interaction/layout.h"

#include <string>

#include "core/logs.h"
#include "core/monitors.h"
#include "core/program.h"

namespace {

// A display browser this close to the screen size was enlarged by its page.
constexpr int kScreenMargin = 500;

}  // namespace

void Form_Resize(Program& program) {
  // A minimised or tiny window can make a size negative; the strip then stays as it was.
  try {
    auto& form = program.form();
    const int H = form.height();
    const int W = form.width();

    program.workBrowserTop = H + kParkingDrop;
    program.workBrowserLeft = W - kWorkBrowserWidth;
    auto& work = program.workBrowser();
    work.setTop(program.workBrowserTop);
    work.setLeft(program.workBrowserLeft);

    // The strip runs along the bottom of the primary monitor, however the others lie.
    const platform::Monitor strip = StripArea(program.platform.screen(), form);
    const int bottom = strip.top + strip.height;
    auto& logo = form.picLogo();
    logo.setLeft(strip.left);
    logo.setTop(bottom - logo.height() + 60);

    auto& label = form.timeLab();
    label.setLeft(logo.left() + logo.width());
    label.setTop(bottom - label.height() - 60);

    auto& box = form.urlBox();
    box.setLeft(label.left() + label.width());
    box.setTop(bottom - box.height() + 60);
    box.setWidth(strip.width - form.left());
  } catch (...) {
  }
}

void ResizeBrowsers(Program& program, std::int16_t index) {
  AddTrace(program, "ResizeBrowsers IN");
  if (index >= 0) {
    ResizeIBrowser(program, index);
  } else {
    for (std::int32_t k = 0; k < platform::MainWindow::kSlots; ++k) ResizeIBrowser(program, k);
    auto& work = program.workBrowser();
    if (work.height() != kWorkBrowserHeight) work.setHeight(kWorkBrowserHeight);
    if (work.width() != kWorkBrowserWidth) work.setWidth(kWorkBrowserWidth);
    if (work.top() != program.workBrowserTop) work.setTop(program.workBrowserTop);
    if (work.left() != program.workBrowserLeft) work.setLeft(program.workBrowserLeft);
    work.zOrder(0);
    work.setVisible(true);
    work.setSilent(true);
  }
  AddTrace(program, "ResizeBrowsers OUT");
}

void ResizeIBrowser(Program& program, std::int32_t index) {
  AddTrace(program, "ResizeIBrowser IN");
  auto& browser = program.browser(index);
  // Measured against the monitor its frame is on.
  const auto& frame = program.picbox(index);
  const platform::Monitor screen = MonitorOf(program.platform.screen(), frame.left(), frame.top(),
                                             frame.width(), frame.height());
  if (browser.height() >= screen.height - kScreenMargin) {
    AddStatus(program, "[B-Bastards!] resize height " + std::to_string(browser.height()) + " -> " +
                           std::to_string(kWorkBrowserHeight));
    browser.setHeight(kWorkBrowserHeight);
  }
  if (browser.width() >= screen.width - kScreenMargin) {
    AddStatus(program, "[B-Bastards!] resize width " + std::to_string(browser.width()) + " -> " +
                           std::to_string(kWorkBrowserWidth));
    browser.setWidth(kWorkBrowserWidth);
  }
  browser.setSilent(true);
  AddTrace(program, "ResizeIBrowser OUT");
}

void Form_MonitorsChanged(Program& program) {
  Form_Resize(program);
  // A panel left where no monitor shows it whole goes onto the one showing most of it; one no
  // monitor shows at all waits, hidden, for its slot's next picture.
  const auto& screen = program.platform.screen();
  for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
    auto& frame = program.picbox(k);
    if (!frame.visible()) continue;
    const auto home = PanelHome(screen, frame.left(), frame.top(), frame.width(), frame.height());
    if (!home)
      frame.setVisible(false);
    else if (*home != Corner{frame.left(), frame.top()})
      frame.move(home->first, home->second, frame.width(), frame.height());
  }
}

void Form_MouseDown(Program& program, int button) {
  // Only presses on the bare background arrive here: a left click there ends the show.
  if (button == 1) program.form().close();
}
