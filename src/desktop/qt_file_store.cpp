#include "desktop/qt_file_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace desktop {

namespace {

platform::SaveError writeFailure(const QSaveFile& file) {
  // QSaveFile keeps errno's text; a full disk is worth its own number.
  if (file.error() == QFileDevice::ResourceError) return {61, "Disk full"};
  return {57, "Device I/O error: " + file.errorString().toStdString()};
}

}  // namespace

bool QtFileStore::exists(const std::string& path) {
  return QFileInfo::exists(QString::fromStdString(path));
}

platform::SaveError QtFileStore::saveAtomically(const std::string& path, const std::string& bytes) {
  const QString target = QString::fromStdString(path);
  if (!QFileInfo(target).absoluteDir().exists()) return {76, "Path not found"};
  if (QFileInfo(target).isDir()) return {75, "Path/file access error"};

  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly))
    return {75, "Path/file access error: " + file.errorString().toStdString()};
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    const auto failure = writeFailure(file);
    file.cancelWriting();
    return failure;
  }
  if (!file.commit()) return writeFailure(file);
  return {};
}

}  // namespace desktop
