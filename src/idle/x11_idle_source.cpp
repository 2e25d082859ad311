#include "idle/x11_idle_source.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace idle {
namespace {

constexpr std::uint32_t kNearMs = 1000;  // the finest step: once a second

}  // namespace

X11IdleSource::X11IdleSource() {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
}

X11IdleSource::~X11IdleSource() {
  if (connection_) xcb_disconnect(connection_);
}

bool X11IdleSource::start(std::uint32_t thresholdMs) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
  int screenNumber = 0;
  connection_ = xcb_connect(nullptr, &screenNumber);
  const xcb_query_extension_reply_t* extension =
      xcb_connection_has_error(connection_)
          ? nullptr
          : xcb_get_extension_data(connection_, &xcb_screensaver_id);
  if (!extension || !extension->present) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    return false;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int k = 0; k < screenNumber && screens.rem; ++k) xcb_screen_next(&screens);
  root_ = screens.data->root;
  thresholdMs_ = thresholdMs;
  if (!read()) return false;
  check();
  return true;
}

std::optional<X11IdleSource::Reading> X11IdleSource::read() {
  xcb_screensaver_query_info_reply_t* info = xcb_screensaver_query_info_reply(
      connection_, xcb_screensaver_query_info(connection_, root_), nullptr);
  if (!info) return std::nullopt;
  const Reading reading{.idleMs = info->ms_since_user_input,
                        .saverDisabled = info->state == XCB_SCREENSAVER_STATE_DISABLED};
  std::free(info);
  return reading;
}

void X11IdleSource::check() {
  const auto reading = read();
  if (!reading) {
    if (onLost) onLost();
    return;
  }
  const std::uint32_t idleMs = reading->idleMs;
  std::uint32_t wait = kNearMs;
  if (idle_) {
    // Input since the last look restarted the server's count.
    if (idleMs < lastIdleMs_) {
      idle_ = false;
      if (onActive) onActive();
      wait = std::max(kNearMs, thresholdMs_ - std::min(idleMs, thresholdMs_));
    }
  } else if (idleMs >= thresholdMs_) {
    const bool held = reading->saverDisabled || (inhibited && inhibited());
    if (!held) {
      idle_ = true;
      if (onIdle) onIdle();
    } else {
      wait = std::max(kNearMs, thresholdMs_);  // look again a threshold later
    }
  } else {
    wait = std::max(kNearMs, thresholdMs_ - idleMs);
  }
  lastIdleMs_ = idleMs;
  timer_.start(static_cast<int>(std::min<std::uint32_t>(wait, 24u * 3600 * 1000)));
}

}  // namespace idle
