#include "idle/mutter_idle_source.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace idle {
namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");

QDBusMessage call(const QString& method, const QVariantList& arguments) {
  QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  message.setArguments(arguments);
  return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

}  // namespace

MutterIdleSource::~MutterIdleSource() {
  if (idleWatch_ == 0 || !QDBusConnection::sessionBus().isConnected()) return;
  call(QStringLiteral("RemoveWatch"), {idleWatch_});
  if (activeWatch_) call(QStringLiteral("RemoveWatch"), {activeWatch_});
}

std::optional<uint> MutterIdleSource::addWatch(const char* method, const QVariantList& arguments) {
  const QDBusReply<uint> reply = call(QString::fromLatin1(method), arguments);
  if (!reply.isValid()) return std::nullopt;
  return reply.value();
}

bool MutterIdleSource::start(std::uint32_t thresholdMs) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kService)) return false;
  // Subscribed before the watch exists, so a short threshold cannot fire unheard.
  bus.connect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this,
              SLOT(watchFired(uint)));
  const auto watch =
      addWatch("AddIdleWatch", {QVariant::fromValue(static_cast<qulonglong>(thresholdMs))});
  if (!watch) {
    bus.disconnect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this,
                   SLOT(watchFired(uint)));
    return false;
  }
  idleWatch_ = *watch;
  gone_ = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
  connect(gone_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    idleWatch_ = activeWatch_ = 0;
    if (onLost) onLost();
  });
  return true;
}

void MutterIdleSource::watchFired(uint id) {
  if (id == 0) return;
  if (id == idleWatch_ && activeWatch_ == 0) {
    // Asked now, the watch fires at the next input whenever it comes.
    const auto watch = addWatch("AddUserActiveWatch", {});
    if (!watch) {
      if (onLost) onLost();
      return;
    }
    activeWatch_ = *watch;
    if (onIdle) onIdle();
  } else if (id == activeWatch_) {
    activeWatch_ = 0;  // removed by the monitor once fired
    if (onActive) onActive();
  }
}

}  // namespace idle
