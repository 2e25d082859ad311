#include "desktop/screen_saver_host.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace desktop {
namespace {

std::optional<WId> parseWindowId(const QString& text) {
  bool ok = false;
  const qulonglong id = text.trimmed().toULongLong(&ok, 0);  // base 0: 0x.. or decimal
  if (!ok || id == 0) return std::nullopt;
  return static_cast<WId>(id);
}

xcb_connection_t* x11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::optional<WId> screenSaverWindow(const QStringList& arguments,
                                     const QString& environmentValue) {
  const qsizetype option = arguments.indexOf(QStringLiteral("-window-id"));
  if (option >= 0 && option + 1 < arguments.size()) {
    if (auto id = parseWindowId(arguments.at(option + 1))) return id;
  }
  if (auto id = parseWindowId(environmentValue)) return id;
  if (arguments.contains(QStringLiteral("-root"))) return rootWindow();
  return std::nullopt;
}

bool startedByScreenSaver(const QStringList& arguments, const QString& environmentValue) {
  const QString commandLine = arguments.mid(1).join(QLatin1Char(' '));
  return !environmentValue.trimmed().isEmpty() || arguments.contains(QStringLiteral("-root")) ||
         arguments.contains(QStringLiteral("-window-id")) ||
         commandLine.left(2).toLower() == QStringLiteral("/s");
}

std::optional<WId> rootWindow() {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return std::nullopt;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (!screen) return std::nullopt;
  return static_cast<WId>(screen->root);
}

std::optional<QRect> foreignWindowArea(WId window) {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return std::nullopt;
  const auto drawable = static_cast<xcb_drawable_t>(window);
  xcb_get_geometry_reply_t* reply =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, drawable), nullptr);
  if (!reply) return std::nullopt;
  QRect area(0, 0, reply->width, reply->height);
  xcb_translate_coordinates_reply_t* place = xcb_translate_coordinates_reply(
      connection, xcb_translate_coordinates(connection, drawable, reply->root, 0, 0), nullptr);
  if (place) area.moveTo(place->dst_x, place->dst_y);
  std::free(place);
  std::free(reply);
  return area;
}

}  // namespace desktop
