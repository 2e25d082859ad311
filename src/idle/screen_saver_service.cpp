#include "idle/screen_saver_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace idle {
namespace {

const QString kName = QStringLiteral("org.freedesktop.ScreenSaver");

}  // namespace

bool ScreenSaverService::desktopInhibits() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString power = QStringLiteral("org.freedesktop.PowerManagement");
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(power)) return false;
  const QDBusReply<bool> reply = bus.call(
      QDBusMessage::createMethodCall(
          power, QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
          QStringLiteral("org.freedesktop.PowerManagement.Inhibit"), QStringLiteral("HasInhibit")),
      QDBus::Block, 2000);
  return reply.isValid() && reply.value();
}

ScreenSaverService::ScreenSaverService() {
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
          &ScreenSaverService::holderLeft);
}

bool ScreenSaverService::registerOnSessionBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  const auto reply =
      bus.interface()->registerService(kName, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::AllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
    return false;
  // Applications use either path.
  for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"})
    bus.registerObject(QString::fromLatin1(path), this, QDBusConnection::ExportScriptableSlots);
  watcher_.setConnection(bus);
  return true;
}

uint ScreenSaverService::Inhibit(const QString&, const QString&) {
  const QString holder = calledFromDBus() ? message().service() : QString();
  const uint cookie = nextCookie_++;
  if (!holders_.contains(holder)) watcher_.addWatchedService(holder);
  holders_.insert(holder, cookie);
  return cookie;
}

void ScreenSaverService::UnInhibit(uint cookie) {
  const QString holder = calledFromDBus() ? message().service() : QString();
  holders_.remove(holder, cookie);
  if (!holders_.contains(holder)) watcher_.removeWatchedService(holder);
}

void ScreenSaverService::holderLeft(const QString& holder) {
  holders_.remove(holder);
  watcher_.removeWatchedService(holder);
}

}  // namespace idle
