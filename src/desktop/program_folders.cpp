#include "desktop/program_folders.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace desktop {
namespace {

QString withoutTrailingSeparator(QString folder) {
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  return folder;
}

bool writableFolder(const QString& folder) {
  // access() asks the kernel, which knows about read-only mounts as well as permissions.
  return !folder.isEmpty() && QFileInfo(folder).isDir() &&
         ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

}  // namespace

QString programFolderFor(const QString& executableFolder) {
  if (writableFolder(executableFolder)) return withoutTrailingSeparator(executableFolder);
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || QDir::isRelativePath(state))
    state = QDir::homePath() + QStringLiteral("/.local/state");
  const QString folder = withoutTrailingSeparator(state) + QStringLiteral("/quorel");
  QDir().mkpath(folder);
  return folder;
}

QString programFolder() { return programFolderFor(QCoreApplication::applicationDirPath()); }

QString picturesFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return withoutTrailingSeparator(pictures.isEmpty() ? QDir::homePath() : pictures);
}

QString executableName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

}  // namespace desktop
