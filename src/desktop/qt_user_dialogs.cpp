#include "desktop/qt_user_dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace desktop {

void QtUserDialogs::messageBox(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool QtUserDialogs::askYesNo(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::fillMenu(QMenu& menu, const std::vector<platform::MenuEntry>& entries) {
  int position = 0;
  for (const auto& entry : entries) {
    ++position;
    QAction* action = entry.kind == platform::MenuEntry::Kind::Separator
                          ? menu.addSeparator()
                          : menu.addAction(QString::fromStdString(entry.text));
    action->setData(position);
    if (entry.kind == platform::MenuEntry::Kind::Disabled) action->setEnabled(false);
  }
}

int QtUserDialogs::popupMenu(const std::vector<platform::MenuEntry>& entries) {
  QMenu menu;
  fillMenu(menu, entries);
  const QAction* chosen = menu.exec(QCursor::pos());
  return chosen ? chosen->data().toInt() : 0;
}

std::optional<std::string> QtUserDialogs::chooseFolder(const std::string& start) {
  const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(),
                                                           QString::fromStdString(start));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace desktop
