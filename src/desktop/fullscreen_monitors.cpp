#include "desktop/fullscreen_monitors.h"

#include <xcb/xcb.h>
#include <xcb/xinerama.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace desktop {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return value;
}

}  // namespace

std::array<int, 4> fullScreenMonitorEdges(const QList<QRect>& monitors) {
  int top = 0, bottom = 0, left = 0, right = 0;
  for (int i = 1; i < int(monitors.size()); ++i) {
    const QRect& m = monitors[i];
    if (m.y() < monitors[top].y()) top = i;
    if (m.y() + m.height() > monitors[bottom].y() + monitors[bottom].height()) bottom = i;
    if (m.x() < monitors[left].x()) left = i;
    if (m.x() + m.width() > monitors[right].x() + monitors[right].width()) right = i;
  }
  return {top, bottom, left, right};
}

bool requestFullScreenOverMonitors(QWidget& window) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection || !window.isWindow()) return false;

  // The hint counts monitors as Xinerama numbers them.
  xcb_xinerama_query_screens_reply_t* screens =
      xcb_xinerama_query_screens_reply(connection, xcb_xinerama_query_screens(connection), nullptr);
  if (!screens) return false;
  const xcb_xinerama_screen_info_t* info = xcb_xinerama_query_screens_screen_info(screens);
  const int count = xcb_xinerama_query_screens_screen_info_length(screens);
  QList<QRect> areas;
  for (int i = 0; i < count; ++i)
    areas.append(QRect(info[i].x_org, info[i].y_org, info[i].width, info[i].height));
  std::free(screens);
  if (areas.isEmpty()) return false;

  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t hint = atom(connection, "_NET_WM_FULLSCREEN_MONITORS");
  const std::array<int, 4> edges = fullScreenMonitorEdges(areas);
  uint32_t monitors[4];
  for (int i = 0; i < 4; ++i) monitors[i] = static_cast<uint32_t>(edges[size_t(i)]);
  // Some window managers read the hint from the window when they take it on; the others
  // answer the request, which counts only for a window they already manage.
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hint, XCB_ATOM_CARDINAL, 32, 4,
                      monitors);
  if (window.isVisible()) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = hint;
    for (int i = 0; i < 4; ++i) message.data.data32[i] = monitors[i];
    message.data.data32[4] = 1;  // an ordinary application asks
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
  }
  xcb_flush(connection);
  return true;
}

}  // namespace desktop
