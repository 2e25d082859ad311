// A program on the fake platform, ready for a logic test.
#pragma once

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
};

}  // namespace fake
