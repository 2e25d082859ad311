// The desktop program: Qt Widgets, our engine, and the logic's entry procedure.
#include <QApplication>
#include <QWindow>
#include <memory>

#include "app/startup.h"
#include "core/program.h"
#include "core/vendor.h"
#include "desktop/desktop_platform.h"
#include "desktop/inert_input.h"
#include "desktop/link_server_watch.h"
#include "desktop/qt_main_window.h"
#include "desktop/screen_saver_host.h"
#include "desktop/stall_meter.h"
#include "dialogs/secondary_windows.h"
#include "web/engine.h"
#include "web/picture_decoder.h"

// The program allocates with jemalloc, linked in place of glibc's malloc. A page of 20,000 links
// makes some 40 MB of short-lived objects; glibc's allocator scattered the long-lived ones made
// meanwhile all over that space and kept 15-25 MB of it resident for good. Pages no longer
// used go back to the system within a second, from jemalloc's own thread; one arena for all
// threads (they seldom allocate at once) holds 2 MB less than one per thread.
extern "C" const char* malloc_conf;
const char* malloc_conf =
    "narenas:1,background_thread:true,max_background_threads:1,dirty_decay_ms:1000,muzzy_decay_ms:"
    "0";

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The logo pictures live in the static desktop library: register them explicitly.
  Q_INIT_RESOURCE(quorel);
  QCoreApplication::setApplicationName(QStringLiteral("quorel"));
  // Lets the desktop match the window to quorel.desktop (its icon and name; Wayland's app id).
  QGuiApplication::setDesktopFileName(QStringLiteral("quorel"));
  // Only the main window's unload ends the program, not the last window closing.
  app.setQuitOnLastWindowClosed(false);
  desktop::startStallMeter(&app);  // only for benchmarks (QUOREL_STALL_LOG)

  // The switch is the first two characters of the whole argument text.
  const QStringList arguments = QCoreApplication::arguments();
  const std::string commandLine = arguments.mid(1).join(QLatin1Char(' ')).toStdString();

  // Made before the platform, so it outlives the window put into it.
  std::unique_ptr<QWindow> host;
  std::optional<QRect> hostArea;
  const QString saverWindow = qEnvironmentVariable("XSCREENSAVER_WINDOW");
  if (const auto id = desktop::screenSaverWindow(arguments, saverWindow)) {
    hostArea = desktop::foreignWindowArea(*id);
    if (hostArea) host.reset(QWindow::fromWinId(*id));  // a window that is gone: our own instead
  }

  desktop::DesktopPlatform platform;
  if (host) platform.setHostWindow(host.get(), *hostArea);
  Program program(platform);
  SecondaryWindows windows(program);
  // Pictures a panel would hide are not decoded; the window is read live, so options apply.
  web::PictureDecoder& decoder = platform.engine().decoder();
  decoder.setPanelSizeWindow([&program](QSize shown) {
    return FitsSizeWindow(program.settings, shown.width(), shown.height());
  });
  struct Forget {  // the program goes before the engine
    web::PictureDecoder& decoder;
    ~Forget() { decoder.setPanelSizeWindow({}); }
  } forget{decoder};

  if (const auto status = Startup(program, commandLine)) return *status;
  // The load may already have ended the program (its window closed at once).
  if (const auto status = platform.endStatus()) return *status;
  auto& window = static_cast<desktop::QtMainWindow&>(platform.mainWindow());
  window.setEscapeCloses(!desktop::startedByScreenSaver(arguments, saverWindow));
  // quorel-idle ends this run at the first input, which must do nothing else meanwhile.
  if (arguments.contains(QStringLiteral("--started-by-idle"))) desktop::makeInputInert();
  new desktop::LinkServerWatch(window.qtWorkBrowser().webBrowser(),
                               QString::fromLatin1(kVendorHost));
  return app.exec();
}
