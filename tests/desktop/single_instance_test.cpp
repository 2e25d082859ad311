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
  // A lock file last written ageSeconds ago.
  void leaveLock(const QByteArray& content, time_t ageSeconds) {
    QFile file(lockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (ageSeconds > 0) {
      const time_t when = ::time(nullptr) - ageSeconds;
      const timeval times[2] = {{when, 0}, {when, 0}};
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
  constexpr time_t kYears = 20 * 365 * 86400;
  struct Row {
    const char* name;
    QByteArray content;
    time_t ageSeconds;  // since the lock file was last written
    bool taken;         // the lock goes to the new instance
  };
  const Row rows[] = {
      {.name = "owner gone",
       .content = QByteArray::number(dead) + "\nquorel\n" + host + "\n",
       .ageSeconds = 0,
       .taken = true},
      {.name = "garbled and old",
       .content = "\x01\x02 not a lock",
       .ageSeconds = kYears,
       .taken = true},
      // Past 5 s a garbled lock is taken as left half-made; before, as being written.
      {.name = "garbled 6 s ago", .content = "\x01\x02 not a lock", .ageSeconds = 6, .taken = true},
      {.name = "garbled just now",
       .content = "\x01\x02 not a lock",
       .ageSeconds = 0,
       .taken = false},
      {.name = "owner alive for years", .content = self, .ageSeconds = kYears, .taken = false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QFile::remove(lockPath());
    leaveLock(r.content, r.ageSeconds);
    desktop::SingleInstance instance(lockPath());
    EXPECT_EQ(instance.anotherRunning(), !r.taken);
    EXPECT_EQ(instance.held(), r.taken);
  }
}

}  // namespace
