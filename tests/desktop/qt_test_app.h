// One QApplication for the desktop tests (offscreen unless the run says otherwise).
#pragma once

#include <QApplication>

namespace desktop_test {

inline void ensureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_desktop";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives for the whole test program
}

}  // namespace desktop_test
