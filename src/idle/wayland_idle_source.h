// Idleness from the Wayland compositor: ext-idle-notify-v1 where it is offered, else the older
// org_kde_kwin_idle. Both name the seat and the timeout; the compositor sends "idled" and
// "resumed" and honours idle inhibitors itself, so nothing is polled.
//
// [X] ext_idle_notifier_v1 (version 1), org_kde_kwin_idle (version 1), the first seat
// [X] the compositor's socket read from the event loop; its end reported as lost
// [ ] a seat added after start (the first one is watched)
#pragma once

#include <QSocketNotifier>
#include <memory>

#include "idle/idle_source.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace idle {

class WaylandIdleSource : public IdleSource {
 public:
  WaylandIdleSource() = default;
  ~WaylandIdleSource() override;
  WaylandIdleSource(const WaylandIdleSource&) = delete;
  WaylandIdleSource& operator=(const WaylandIdleSource&) = delete;

  bool start(std::uint32_t thresholdMs) override;
  const char* name() const override;

  // Registry and notification events (called from C listeners).
  void announce(wl_registry* registry, std::uint32_t id, const char* interface,
                std::uint32_t version);
  void idled();
  void resumed();

 private:
  void readEvents();
  void disconnect();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* notifier_ = nullptr;
  ext_idle_notification_v1* notification_ = nullptr;
  org_kde_kwin_idle* kdeIdle_ = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
  std::uint32_t kdeIdleName_ = 0;
  std::unique_ptr<QSocketNotifier> readable_;
  bool idle_ = false;
};

}  // namespace idle
