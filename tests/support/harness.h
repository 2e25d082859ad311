// A program on the fake platform, ready for a logic test.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "core/program.h"
#include "crawler/link_filters.h"
#include "dialogs/secondary_windows.h"
#include "platform/run_time_error.h"
#include "support/fake_platform.h"

namespace fake {

// The run-time failure number of a call, 0 when it returns.
template <class Call>
int FailureNumber(Call call) {
  try {
    call();
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
  return 0;
}

// A control's place as "left,top widthxheight", in twips.
inline std::string Box(const platform::Control& c) {
  return std::to_string(c.left()) + "," + std::to_string(c.top()) + " " +
         std::to_string(c.width()) + "x" + std::to_string(c.height());
}

// Debug mode on, so status and trace lines reach the logs the tests read.
struct Harness {
  Harness() { program.settings.DebugMode = true; }
  FakePlatform platform;
  Program program{platform};
  SecondaryWindows windows{program};

  FakeMainWindow& window() { return platform.mainWindow(); }
  FakeBrowser& work() { return window().work; }
  FakeBrowser& browser(int slot) { return window().browser(slot); }
  FakePictureBox& picbox(int slot) { return window().picbox(slot); }
  std::vector<std::string> status() const { return platform.logLines("quorel.log"); }
  std::vector<std::string> trace() const { return platform.logLines("function.log"); }
  bool logged(const std::string& line) const { return std::ranges::count(status(), line) > 0; }
  int countLogged(const std::string& prefix) const {
    return static_cast<int>(tagged(prefix).size());
  }
  // The status lines that begin with the tag, in order.
  std::vector<std::string> tagged(const std::string& tag) const {
    std::vector<std::string> lines;
    for (const auto& line : status())
      if (line.starts_with(tag)) lines.push_back(line);
    return lines;
  }
  // Every address the ten display browsers were sent to, in slot order.
  std::vector<std::string> shown() {
    std::vector<std::string> all;
    for (int k = 0; k < 10; ++k)
      for (const auto& url : browser(k).navigations) all.push_back(url);
    return all;
  }
  // The entries of the first menu shown.
  const std::vector<platform::MenuEntry>& menu() const { return platform.dialogs_.menus.at(0); }
  // The slots' frames from back to front, one digit per slot.
  std::string slotStack() {
    std::string order;
    for (const FakeControl* control : window().stacking.order)
      for (int k = 0; k < 10; ++k)
        if (control == &picbox(k)) order += static_cast<char>('0' + k);
    return order;
  }
};

// A program as after start-up: the form's events bound, the bad-link list filled, the
// pacing timer off at its five seconds.
struct Wired : Harness {
  Wired() {
    AddBadLinks(program.badLinks);
    BindFormEvents(program);
    window().next.setInterval(5000);
    window().next.setEnabled(false);
    program.lastActivity = program.now();
  }
  bool pacingArmed() { return window().next.enabled(); }
};

// An empty page at the given address, for a browser to complete with.
inline std::shared_ptr<FakeDocument> Page(const std::string& url = "http://site.example/") {
  return std::make_shared<FakeDocument>(FakeDocument().withUrl(url));
}

}  // namespace fake
