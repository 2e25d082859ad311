// The desktop program: Qt Widgets, our engine, and the logic's entry procedure.
#include <malloc.h>

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "app/program.h"
#include "app/startup.h"
#include "desktop/desktop_platform.h"
#include "desktop/screen_saver_host.h"

int main(int argc, char** argv) {
  // Decoded pictures are large, short-lived blocks: keep them out of the heap proper so that
  // freeing one gives its memory back instead of leaving the heap fragmented and grown.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);

  QApplication app(argc, argv);
  // The logo pictures live in the static desktop library: register them explicitly.
  Q_INIT_RESOURCE(quorel);
  QCoreApplication::setApplicationName(QStringLiteral("quorel"));
  // Only the main window's unload ends the program, not the last window closing.
  app.setQuitOnLastWindowClosed(false);

  // The switch is the first two characters of the whole argument text.
  const QStringList arguments = QCoreApplication::arguments();
  const std::string commandLine = arguments.mid(1).join(QLatin1Char(' ')).toStdString();

  // Made before the platform, so it outlives the window put into it.
  std::unique_ptr<QWindow> host;
  std::optional<QSize> hostSize;
  if (const auto id = desktop::screenSaverWindow(arguments, qEnvironmentVariable("XSCREENSAVER_WINDOW"))) {
    hostSize = desktop::foreignWindowSize(*id);
    if (hostSize) host.reset(QWindow::fromWinId(*id));  // a window that is gone: our own instead
  }

  desktop::DesktopPlatform platform;
  if (host) platform.setHostWindow(host.get(), *hostSize);
  Program program(platform);

  if (const auto status = Startup(program, commandLine)) return *status;
  // The load may already have ended the program (its window closed at once).
  if (const auto status = platform.endStatus()) return *status;

  // A huge page leaves free holes all through the heap, which glibc keeps; handing them back
  // now and then keeps a long run from holding on to its worst moment.
  QTimer trim;
  QObject::connect(&trim, &QTimer::timeout, [] { malloc_trim(0); });
  trim.start(20 * 1000);
  return app.exec();
}
