#include "desktop/qt_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace desktop {
namespace {

const QString kGroup = QStringLiteral("Options");

}  // namespace

QString QtSettingsStore::defaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/quorel/quorel.conf");
}

QtSettingsStore::QtSettingsStore() : QtSettingsStore(defaultPath()) {}

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : path_(filePath), settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
  // Judged once: a later failed save must not hide what was read.
  readable_ = settings_->status() == QSettings::NoError;
}

std::string QtSettingsStore::read(const std::string& key, const std::string& defaultText) const {
  if (const auto it = written_.find(key); it != written_.end()) return it->second;
  if (!readable_) return defaultText;
  const QString name = kGroup + QLatin1Char('/') + QString::fromStdString(key);
  const QVariant value = settings_->value(name);
  if (!value.isValid()) return defaultText;
  // An unquoted value with commas comes back as a list; it was meant as one text.
  if (value.metaType().id() == QMetaType::QStringList)
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  if (!value.canConvert<QString>()) return defaultText;
  return value.toString().toStdString();
}

void QtSettingsStore::write(const std::string& key, const std::string& text) {
  written_[key] = text;
  QDir().mkpath(QFileInfo(path_).absolutePath());
  settings_->setValue(kGroup + QLatin1Char('/') + QString::fromStdString(key),
                      QString::fromStdString(text));
  settings_->sync();
}

}  // namespace desktop
