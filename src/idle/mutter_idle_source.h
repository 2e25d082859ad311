// Idleness from GNOME's compositor over the session bus: an idle watch of the threshold fires
// "WatchFired" once the user has been idle that long (GNOME holds it back while an application
// inhibits idleness); a user-active watch then reports the first input and removes itself.
//
// [X] AddIdleWatch, AddUserActiveWatch, WatchFired, RemoveWatch on the core monitor
// [X] the monitor leaving the bus reported as lost
#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <optional>

#include "idle/idle_source.h"

namespace idle {

class MutterIdleSource : public QObject, public IdleSource {
  Q_OBJECT

 public:
  MutterIdleSource() = default;
  ~MutterIdleSource() override;

  bool start(std::uint32_t thresholdMs) override;
  const char* name() const override { return "GNOME's org.gnome.Mutter.IdleMonitor"; }

 private slots:
  void watchFired(uint id);

 private:
  std::optional<uint> addWatch(const char* method, const QVariantList& arguments);

  uint idleWatch_ = 0;
  uint activeWatch_ = 0;
  QDBusServiceWatcher* gone_ = nullptr;
};

}  // namespace idle
