// quorel-idle: starts the collage when the user has been idle for a while and ends it at the
// first input, on Wayland, GNOME and X11 desktops. A small program of its own, without widgets,
// so that waiting all day costs a few megabytes and no processor time.
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>

#include "desktop/single_instance.h"
#include "idle/collage_runner.h"
#include "idle/idle_minutes.h"
#include "idle/mutter_idle_source.h"
#include "idle/screen_saver_service.h"
#include "idle/wayland_idle_source.h"
#include "idle/x11_idle_source.h"
#include "quorel_version.h"

namespace {

QString configFile() {
  QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (folder.isEmpty()) folder = qEnvironmentVariable("HOME") + QStringLiteral("/.config");
  return folder + QStringLiteral("/quorel/quorel.conf");
}

// [Idle] Minutes= of the settings file; a value there that is no number gets the default.
std::uint32_t configuredThreshold() {
  const QString file = configFile();
  QSettings settings(file, QSettings::IniFormat);
  const QVariant value = settings.value(QStringLiteral("Idle/Minutes"));
  if (!value.isValid()) return idle::kDefaultThresholdMs;
  const QString text = value.toStringList().join(QLatin1Char(','));
  if (const auto threshold = idle::thresholdFromMinutes(text.toStdString())) return *threshold;
  std::fprintf(stderr,
               "quorel-idle: Minutes=%s in [Idle] of %s is not a number of minutes; using %d\n",
               qPrintable(text), qPrintable(file), idle::kDefaultThresholdMs / 60000);
  return idle::kDefaultThresholdMs;
}

// The quorel installed beside this program, else the one on the PATH.
QString collageProgram() {
  const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/quorel");
  return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("quorel");
}

// SIGTERM and SIGINT end the event loop, so the collage started here is ended on the way out.
void quitOnSignals() {
  static int pipe[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipe) != 0) return;
  struct sigaction action = {};
  action.sa_handler = [](int) { [[maybe_unused]] auto n = ::write(pipe[0], "q", 1); };
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  auto* notifier = new QSocketNotifier(pipe[1], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("quorel-idle"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Starts the Quorel collage when the user has been idle for a while; input ends it."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption minutesOption(
      QStringLiteral("minutes"),
      QStringLiteral("Idle minutes before the collage starts (default: [Idle] Minutes= of "
                     "quorel.conf, else 10)."),
      QStringLiteral("N"));
  const QCommandLineOption commandOption(
      QStringLiteral("command"),
      QStringLiteral("The collage program to run (default: the quorel beside this program)."),
      QStringLiteral("PROGRAM"));
  parser.addOptions({minutesOption, commandOption});
  parser.process(app);

  std::uint32_t thresholdMs = 0;
  if (parser.isSet(minutesOption)) {
    const auto threshold = idle::thresholdFromMinutes(parser.value(minutesOption).toStdString());
    if (!threshold) {
      std::fprintf(stderr,
                   "quorel-idle: --minutes %s: not a number of minutes from 0.017 (a second) up\n",
                   qPrintable(parser.value(minutesOption)));
      return 2;
    }
    thresholdMs = *threshold;
  } else {
    thresholdMs = configuredThreshold();
  }

  const QString program =
      parser.isSet(commandOption) ? parser.value(commandOption) : collageProgram();
  // "/s": a screen saver's run, which Escape does not end; the second switch makes every input
  // inert, since the input that ends it here reaches the collage too.
  idle::CollageRunner runner(program, {QStringLiteral("/s"), QStringLiteral("--started-by-idle")},
                             desktop::SingleInstance::defaultLockPath());

  std::unique_ptr<idle::IdleSource> source;
  int status = 0;
  auto wire = [&](idle::IdleSource& candidate) {
    candidate.onIdle = [&runner] { runner.userIdle(); };
    candidate.onActive = [&runner] { runner.userActive(); };
    candidate.onLost = [&candidate, &status] {
      std::fprintf(stderr, "quorel-idle: %s has gone away\n", candidate.name());
      status = 3;
      QCoreApplication::quit();
    };
  };
  // In order of preference: the compositor's own protocols, GNOME's monitor, the X server.
  std::unique_ptr<idle::ScreenSaverService> inhibitors;
  auto wayland = std::make_unique<idle::WaylandIdleSource>();
  auto mutter = std::make_unique<idle::MutterIdleSource>();
  auto x11 = std::make_unique<idle::X11IdleSource>();
  wire(*wayland);
  wire(*mutter);
  wire(*x11);
  if (wayland->start(thresholdMs)) {
    source = std::move(wayland);
  } else if (mutter->start(thresholdMs)) {
    source = std::move(mutter);
  } else {
    // Applications' inhibit calls come to us where the desktop has no screen saver service.
    inhibitors = std::make_unique<idle::ScreenSaverService>();
    if (!inhibitors->registerOnSessionBus()) inhibitors.reset();
    x11->inhibited = [&inhibitors] {
      return inhibitors ? inhibitors->inhibited() : idle::ScreenSaverService::desktopInhibits();
    };
    if (x11->start(thresholdMs)) source = std::move(x11);
  }
  if (!source) {
    std::fprintf(stderr,
                 "quorel-idle: no idle service found (a Wayland compositor with ext-idle-notify-v1 "
                 "or org_kde_kwin_idle, GNOME's org.gnome.Mutter.IdleMonitor, or an X server "
                 "with MIT-SCREEN-SAVER)\n");
    return 1;
  }

  std::fprintf(stderr, "quorel-idle: watching %s for %.4g minutes of idleness\n", source->name(),
               thresholdMs / 60000.0);
  quitOnSignals();
  const int loop = app.exec();
  return status ? status : loop;
}
