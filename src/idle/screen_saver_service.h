// The session's org.freedesktop.ScreenSaver service, for X11 desktops that offer none: video
// players and presentation programs ask it to hold the screen saver back (Inhibit) and let go
// (UnInhibit). A holder that leaves the bus lets go as well. Where the desktop has its own
// service it keeps it: register() then says false, and its screen saver honours those calls.
//
// [X] Inhibit, UnInhibit, SimulateUserActivity, GetActive on /org/freedesktop/ScreenSaver and
//     /ScreenSaver
// [X] another owner may take the name over
#pragma once

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QMultiHash>
#include <QObject>

namespace idle {

class ScreenSaverService : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  ScreenSaverService();
  bool registerOnSessionBus();
  bool inhibited() const { return !holders_.isEmpty(); }
  // Where the desktop owns the service: whether its power manager reports an inhibitor.
  static bool desktopInhibits();

 public slots:
  Q_SCRIPTABLE uint Inhibit(const QString& application, const QString& reason);
  Q_SCRIPTABLE void UnInhibit(uint cookie);
  Q_SCRIPTABLE void SimulateUserActivity() {}
  Q_SCRIPTABLE bool GetActive() { return false; }

 private:
  void holderLeft(const QString& holder);

  QMultiHash<QString, uint> holders_;  // bus name -> cookies
  uint nextCookie_ = 1;
  QDBusServiceWatcher watcher_;
};

}  // namespace idle
