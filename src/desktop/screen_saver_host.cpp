#include "desktop/screen_saver_host.h"

namespace desktop {
namespace {

std::optional<WId> parseWindowId(const QString& text) {
  bool ok = false;
  const qulonglong id = text.trimmed().toULongLong(&ok, 0);  // base 0: 0x.. or decimal
  if (!ok || id == 0) return std::nullopt;
  return static_cast<WId>(id);
}

}  // namespace

std::optional<WId> screenSaverWindow(const QStringList& arguments, const QString& environmentValue) {
  const qsizetype option = arguments.indexOf(QStringLiteral("-window-id"));
  if (option >= 0 && option + 1 < arguments.size()) {
    if (auto id = parseWindowId(arguments.at(option + 1))) return id;
  }
  return parseWindowId(environmentValue);
}

}  // namespace desktop
