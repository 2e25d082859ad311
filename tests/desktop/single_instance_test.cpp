// The instance lock: one holder at a time, and a lock whose owner is gone is taken over.
#include "desktop/single_instance.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <csignal>

namespace {

struct SingleInstanceTest : ::testing::Test {
  QTemporaryDir dir;
  QString lockPath() const { return dir.filePath(QStringLiteral("quorel.lock")); }

  // A lock file as a copy that has since died would have left it.
  void leaveLock(const QByteArray& content, bool old) {
    QFile file(lockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (old) {
      const timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
      ::utimes(QFile::encodeName(lockPath()).constData(), times);
    }
  }
  static qint64 deadPid() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    if (!process.waitForStarted()) return 0;
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
  }
};

// (A second copy refused while the first runs: tests/e2e/startup.sh.)
TEST_F(SingleInstanceTest, TheRefusedCopyLeavesTheLockAndItGoesWithItsHolder) {
  {
    desktop::SingleInstance first(lockPath());
    EXPECT_FALSE(first.anotherRunning());
    EXPECT_FALSE(first.anotherRunning());  // asking again does not refuse ourselves
    EXPECT_TRUE(desktop::SingleInstance(lockPath()).anotherRunning());
    EXPECT_TRUE(desktop::SingleInstance(lockPath()).anotherRunning());  // the lock is still ours
  }
  EXPECT_FALSE(desktop::SingleInstance(lockPath()).anotherRunning());
}

// A lock whose owner is gone is taken over; a live owner's never is, however old its lock.
TEST_F(SingleInstanceTest, StaleLocksAreTakenOver) {
  const QByteArray host = QSysInfo::machineHostName().toUtf8();
  qint64 dead = 0;
  // A pid that was just reaped; in the rare case it was reused at once, try another.
  for (int i = 0; i < 5 && (dead = deadPid()) && ::kill(static_cast<pid_t>(dead), 0) == 0; ++i) {
  }
  ASSERT_GT(dead, 0);
  const QByteArray self = QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                          QCoreApplication::applicationName().toUtf8() + "\n" + host + "\n";
  struct Row {
    const char* name;
    QByteArray content;
    bool old;    // the lock file last written in 2001
    bool taken;  // the lock goes to the new instance
  };
  const Row rows[] = {
      {.name = "owner gone",
       .content = QByteArray::number(dead) + "\nquorel\n" + host + "\n",
       .old = false,
       .taken = true},
      {
          .name = "garbled and old",
          .content = "\x01\x02 not a lock",
          .old = true,
          .taken = true,
      },
      {
          .name = "owner alive for years",
          .content = self,
          .old = true,
          .taken = false,
      },
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QFile::remove(lockPath());
    leaveLock(r.content, r.old);
    desktop::SingleInstance instance(lockPath());
    EXPECT_EQ(instance.anotherRunning(), !r.taken);
    EXPECT_EQ(instance.held(), r.taken);
  }
}

}  // namespace
