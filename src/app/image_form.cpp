#include "app/image_form.h"

#include "core/logs.h"
#include "core/monitors.h"
#include "core/program.h"
#include "core/vendor.h"
#include "core/version.h"
#include "crawler/browse_to.h"
#include "crawler/link_filters.h"
#include "crawler/work_page.h"
#include "display/display_slots.h"
#include "display/slideshow.h"
#include "interaction/clock_timer.h"
#include "interaction/layout.h"
#include "interaction/logo_menu.h"
#include "interaction/mouse_hook.h"

void BindFormEvents(Program& p) {
  auto& form = p.form();
  form.setEvents({
      .unload = [&p] { Form_Unload(p); },
      .resize = [&p] { Form_Resize(p); },
      .mouseDown = [&p](int button) { Form_MouseDown(p, button); },
      .logoClick = [&p] { picLogo_Click(p); },
      .logoMouseDown = [&p](int button) { picLogo_MouseDown(p, button); },
      .logoMouseUp = [&p](int button) { picLogo_MouseUp(p, button); },
      .monitorsChanged = [&p] { Form_MonitorsChanged(p); },
  });
  form.workBrowser().setEvents({
      .documentComplete = [&p](const std::string& url) { workBrowser_DocumentComplete(p, url); },
      .navigateError =
          [&p](const std::string& url, const std::string& frame, std::int32_t status,
               bool& cancel) { workBrowser_NavigateError(p, url, frame, status, cancel); },
      .newWindow2 = [&p](bool& cancel) { workBrowser_NewWindow2(p, cancel); },
  });
  for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
    form.browser(k).setEvents({
        .documentComplete = [&p,
                             k](const std::string& url) { browser_DocumentComplete(p, k, url); },
        .navigateError =
            [&p, k](const std::string& url, const std::string& frame, std::int32_t status,
                    bool& cancel) { browser_NavigateError(p, k, url, frame, status, cancel); },
        .newWindow2 = [&p, k](bool& cancel) { browser_NewWindow2(p, k, cancel); },
    });
  }
  form.nextTimer().setOnTimer([&p] { nextTimer_Timer(p); });
  form.timeTimer().setOnTimer([&p] { timeTimer_Timer(p); });
  form.recoveryTimer().setOnTimer([&p] { recoveryTimer_Timer(p); });
}

void Form_Load(Program& p) {
  BindFormEvents(p);
  auto& form = p.form();
  auto& screen = p.platform.screen();

  p.badLinks.clear();
  AddBadLinks(p.badLinks);
  p.nextSlot = 0;
  LoadSettings(p.settings, p.platform.settingsStore(), p.platform.picturesFolder());

  form.recoveryTimer().setInterval(30000);
  form.recoveryTimer().setEnabled(true);
  form.nextTimer().setInterval(5000);
  form.nextTimer().setEnabled(false);
  form.timeTimer().setInterval(1000);
  form.timeTimer().setEnabled(true);

  SetCaption(p, "");
  form.move(0, 0, screen.width(), screen.height());
  form.setBackColor(0);

  p.workBrowserTop = screen.height() + kParkingDrop;
  p.workBrowserLeft = screen.width() - kWorkBrowserWidth;
  auto& work = p.workBrowser();
  work.setHeight(kWorkBrowserHeight);
  work.setWidth(kWorkBrowserWidth);
  work.setTop(p.workBrowserTop);
  work.setLeft(p.workBrowserLeft);
  work.zOrder(0);
  work.setVisible(true);
  work.setSilent(true);

  p.depth = -3;
  BrowseTo(p, VendorUrl("/quorel/bin/version.asp"), ChosenBy::Program);

  form.picLogo().setPicture(platform::Picture::LogoOut);

  auto& timeLab = form.timeLab();
  timeLab.setCaption("");
  timeLab.setAutoSize(false);
  timeLab.setWidth(2000);

  auto& urlBox = form.urlBox();
  urlBox.setLeft(timeLab.width() + timeLab.left() + 90);
  const platform::Monitor strip = StripArea(screen, form);
  urlBox.setTop(strip.top + strip.height - urlBox.height());
  urlBox.setWidth(strip.width - form.left());
  urlBox.setText("");

  for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
    auto& browser = p.browser(k);
    browser.setLeft(0);
    browser.setTop(form.height() + kParkingDrop);
    browser.setSilent(true);
    browser.setVisible(true);
    IBrowseTo(p, "about:blank");
    auto& picbox = p.picbox(k);
    picbox.setLeft(0);
    picbox.setTop(form.height() + kParkingDrop);
    picbox.setVisible(true);
  }

  form.setMaximized();
  InstallMouseHook(p);
}

void Form_Unload(Program& p) {
  RemoveMouseHook(p);
  p.unloading = true;
  auto& form = p.form();
  form.nextTimer().setEnabled(false);
  form.recoveryTimer().setEnabled(false);
  form.timeTimer().setEnabled(false);
  p.platform.endProgram(0);
}

void SetCaption(Program& p, const std::string& text) {
  AddTrace(p, "SetCaption IN");
  p.form().setCaption("Quorel v" + std::to_string(kVersionMajor) + "." +
                      std::to_string(kVersionMinor) + " - " + text);
  AddTrace(p, "SetCaption OUT");
}
