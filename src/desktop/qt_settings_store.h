// QtSettingsStore: the per-user options in an INI file through QSettings, group "Options",
// every value kept as text. A store that cannot be read gives the defaults; one that cannot
// be written keeps the values for this run.
//
// [X] $XDG_CONFIG_HOME/quorel/quorel.conf (default ~/.config/quorel/quorel.conf)
// [X] unreadable or malformed files read as missing; values written this run win
#pragma once

#include <QSettings>
#include <map>
#include <memory>

#include "platform/settings_store.h"

namespace desktop {

class QtSettingsStore : public platform::SettingsStore {
 public:
  // The file in the user's configuration folder.
  QtSettingsStore();
  explicit QtSettingsStore(const QString& filePath);

  std::string read(const std::string& key, const std::string& defaultText) const override;
  void write(const std::string& key, const std::string& text) override;

  static QString defaultPath();
  const QString& filePath() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<QSettings> settings_;
  bool readable_ = false;  // the file was missing or read cleanly
  // Written this run: survives a store that cannot be saved.
  std::map<std::string, std::string> written_;
};

}  // namespace desktop
