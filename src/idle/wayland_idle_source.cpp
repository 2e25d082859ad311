#include "idle/wayland_idle_source.h"

#include <wayland-client.h>

#include <QByteArray>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

namespace idle {
namespace {

WaylandIdleSource& sourceOf(void* data) { return *static_cast<WaylandIdleSource*>(data); }

const wl_registry_listener registryListener = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t id, const char* interface,
           std::uint32_t version) { sourceOf(data).announce(registry, id, interface, version); },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

const ext_idle_notification_v1_listener notificationListener = {
    .idled = [](void* data, ext_idle_notification_v1*) { sourceOf(data).idled(); },
    .resumed = [](void* data, ext_idle_notification_v1*) { sourceOf(data).resumed(); },
};

const org_kde_kwin_idle_timeout_listener kdeTimeoutListener = {
    .idle = [](void* data, org_kde_kwin_idle_timeout*) { sourceOf(data).idled(); },
    .resumed = [](void* data, org_kde_kwin_idle_timeout*) { sourceOf(data).resumed(); },
};

}  // namespace

WaylandIdleSource::~WaylandIdleSource() { disconnect(); }

const char* WaylandIdleSource::name() const {
  return notifier_ ? "Wayland ext-idle-notify-v1" : "Wayland org_kde_kwin_idle";
}

bool WaylandIdleSource::start(std::uint32_t thresholdMs) {
  // Without a named display libwayland would try "wayland-0", which may be another session's.
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
    return false;
  display_ = wl_display_connect(nullptr);
  if (!display_) return false;
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &registryListener, this);
  if (wl_display_roundtrip(display_) >= 0 && !notifier_ && kdeIdleName_) {
    kdeIdle_ = static_cast<org_kde_kwin_idle*>(
        wl_registry_bind(registry_, kdeIdleName_, &org_kde_kwin_idle_interface, 1));
  }
  if (wl_display_get_error(display_) || !seat_ || (!notifier_ && !kdeIdle_)) {
    disconnect();
    return false;
  }
  if (notifier_) {
    notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, thresholdMs, seat_);
    ext_idle_notification_v1_add_listener(notification_, &notificationListener, this);
  } else {
    kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, thresholdMs);
    org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kdeTimeoutListener, this);
  }
  if (wl_display_flush(display_) < 0) {
    disconnect();
    return false;
  }
  readable_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
  QObject::connect(readable_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
  return true;
}

void WaylandIdleSource::announce(wl_registry* registry, std::uint32_t id, const char* interface,
                                 std::uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_) {
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
    notifier_ = static_cast<ext_idle_notifier_v1*>(
        wl_registry_bind(registry, id, &ext_idle_notifier_v1_interface, 1));
  } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
    kdeIdleName_ = id;  // bound only when the newer protocol is missing
  }
}

void WaylandIdleSource::idled() {
  if (idle_) return;
  idle_ = true;
  if (onIdle) onIdle();
}

void WaylandIdleSource::resumed() {
  if (!idle_) return;
  idle_ = false;
  if (onActive) onActive();
}

void WaylandIdleSource::readEvents() {
  // The socket is readable, so this reads without blocking; -1: the compositor is gone.
  if (wl_display_dispatch(display_) < 0 || wl_display_flush(display_) < 0) {
    readable_->setEnabled(false);
    if (onLost) onLost();
  }
}

void WaylandIdleSource::disconnect() {
  readable_.reset();
  if (!display_) return;
  if (notification_) ext_idle_notification_v1_destroy(notification_);
  if (notifier_) ext_idle_notifier_v1_destroy(notifier_);
  if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
  if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
  display_ = nullptr;
  notification_ = nullptr;
  notifier_ = nullptr;
  kdeTimeout_ = nullptr;
  kdeIdle_ = nullptr;
  seat_ = nullptr;
  registry_ = nullptr;
}

}  // namespace idle
