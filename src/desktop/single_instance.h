// SingleInstance: one running copy per user, held by a QLockFile in $XDG_RUNTIME_DIR (or the
// temporary folder). A lock left by a copy that is gone is taken over.
//
// [X] acquire once, hold for the program's life, release on exit
// [X] stale locks: owner process gone (crash, kill) on this host
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace desktop {

class SingleInstance {
 public:
  // The lock in the user's runtime folder.
  SingleInstance();
  explicit SingleInstance(const QString& lockPath);

  // True when another live copy holds the lock; otherwise this copy holds it from now on.
  bool anotherRunning();
  bool held() const { return held_; }
  const QString& lockPath() const { return path_; }

  static QString defaultLockPath();

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  bool held_ = false;
};

}  // namespace desktop
