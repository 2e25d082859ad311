// A program on the fake platform, ready for a logic test.
#pragma once

#include <algorithm>
#include <string>

#include "app/program.h"
#include "support/fake_platform.h"

namespace fake {

struct Harness {
  FakePlatform platform;
  Program program{platform};

  FakeMainWindow& window() { return platform.window(); }
  FakeBrowser& work() { return platform.window().work; }
  FakeBrowser& browser(int slot) { return platform.window().fakeBrowser(slot); }
  FakePictureBox& picbox(int slot) { return platform.window().fakePicbox(slot); }
  // Debug mode on, so status and trace lines reach the logs.
  Harness& debug() {
    program.settings.DebugMode = true;
    return *this;
  }
  std::vector<std::string> status() const { return platform.statusLines(); }
  std::vector<std::string> trace() const { return platform.traceLines(); }
  // The entries of the i-th menu shown, as (kind, text) pairs.
  std::vector<std::pair<platform::MenuEntry::Kind, std::string>> menu(std::size_t i) const {
    std::vector<std::pair<platform::MenuEntry::Kind, std::string>> entries;
    for (const auto& entry : platform.dialogs_.menus.at(i))
      entries.emplace_back(entry.kind, entry.text);
    return entries;
  }
  // The slots' frames from back to front, one digit per slot.
  std::string slotStack() {
    std::string order = "0123456789";
    std::sort(order.begin(), order.end(), [&](char a, char b) {
      return picbox(a - '0').stackIndex() < picbox(b - '0').stackIndex();
    });
    return order;
  }
};

}  // namespace fake
