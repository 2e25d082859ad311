#include "desktop/qt_shell.h"

#include <QDesktopServices>
#include <QDir>

namespace desktop {

QUrl QtShell::target(const std::string& file, const std::string& folder) {
  const QString text = QString::fromStdString(file).trimmed();
  if (text.isEmpty()) return {};
  if (QDir::isAbsolutePath(text)) return QUrl::fromLocalFile(text);
  const QUrl url(text, QUrl::StrictMode);
  if (url.isValid() && !url.scheme().isEmpty()) return url;
  if (folder.empty()) return {};
  return QUrl::fromLocalFile(QDir(QString::fromStdString(folder)).absoluteFilePath(text));
}

int QtShell::execute(int, const std::string&, const std::string& file, const std::string&,
                     const std::string& folder, int) {
  const QUrl url = target(file, folder);
  return !url.isEmpty() && QDesktopServices::openUrl(url) ? kAccepted : kNoAssociation;
}

}  // namespace desktop
