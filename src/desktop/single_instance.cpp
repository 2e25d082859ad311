#include "desktop/single_instance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <csignal>

namespace desktop {
namespace {

bool processGone(qint64 pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

QString SingleInstance::defaultLockPath() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::tempPath();
  return folder + QStringLiteral("/quorel.lock");
}

SingleInstance::SingleInstance() : SingleInstance(defaultLockPath()) {}

SingleInstance::SingleInstance(const QString& lockPath)
    : path_(lockPath), lock_(std::make_unique<QLockFile>(lockPath)) {
  // The running copy never refreshes its lock, so age alone must never make it stale:
  // 0 leaves only the test whether the owner process is gone.
  lock_->setStaleLockTime(0);
}

bool SingleInstance::anotherRunning() {
  if (held_) return false;
  if (lock_->tryLock(0)) return !(held_ = true);
  if (lock_->error() == QLockFile::LockFailedError) {
    qint64 pid = 0;
    QString host, application;
    const bool known = lock_->getLockInfo(&pid, &host, &application);
    const bool sameHost = host.isEmpty() || host == QSysInfo::machineHostName();
    // An unreadable lock that is not being written right now was left half-made.
    const bool garbled =
        !known && QFileInfo(path_).lastModified().secsTo(QDateTime::currentDateTime()) > 5;
    const bool stale = (known && sameHost && processGone(pid)) || garbled;
    if (stale && lock_->removeStaleLockFile() && lock_->tryLock(0)) return !(held_ = true);
    return true;
  }
  // The folder cannot hold a lock (read-only, missing): running is better than refusing.
  return false;
}

}  // namespace desktop
