#include "interaction/layout.h"

#include <string>

#include "app/logs.h"
#include "app/program.h"

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

    auto& logo = form.picLogo();
    logo.setLeft(0);
    logo.setTop(H - logo.height() + 60);

    auto& label = form.timeLab();
    label.setLeft(logo.left() + logo.width());
    label.setTop(H - label.height() - 60);

    auto& box = form.urlBox();
    box.setLeft(label.left() + label.width());
    box.setTop(H - box.height() + 60);
    box.setWidth(W - form.left());
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
  const auto& screen = program.platform.screen();
  if (browser.height() >= screen.height() - kScreenMargin) {
    AddStatus(program, "[B-Bastards!] resize height " + std::to_string(browser.height()) + " -> " +
                           std::to_string(kWorkBrowserHeight));
    browser.setHeight(kWorkBrowserHeight);
  }
  if (browser.width() >= screen.width() - kScreenMargin) {
    AddStatus(program, "[B-Bastards!] resize width " + std::to_string(browser.width()) + " -> " +
                           std::to_string(kWorkBrowserWidth));
    browser.setWidth(kWorkBrowserWidth);
  }
  browser.setSilent(true);
  AddTrace(program, "ResizeIBrowser OUT");
}

void Form_MouseDown(Program& program, int button) {
  // Only presses on the bare background arrive here: a left click there ends the show.
  if (button == 1) program.form().close();
}
