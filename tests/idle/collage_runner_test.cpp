#include "idle/collage_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A collage that notes its arguments when it starts and "TERM" when it is ended.
QString writeStandIn(const QTemporaryDir& dir) {
  const QString path = dir.filePath(QStringLiteral("collage"));
  QFile script(path);
  script.open(QIODevice::WriteOnly);
  script.write(
      "#!/bin/sh\n"
      "trap 'echo TERM >>\"$0.log\"; exit 0' TERM\n"
      "echo \"$*\" >>\"$0.log\"\n"
      "while :; do sleep 0.05; done\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

QString logOf(const QString& standIn) {
  QFile log(standIn + QStringLiteral(".log"));
  return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

qint64 deadPid() {
  QProcess gone;
  gone.start(QStringLiteral("true"));
  gone.waitForFinished();
  return gone.processId();
}

// A lock as the collage's QLockFile writes it: its process id first.
void writeLock(const QString& path, qint64 pid) {
  QFile lock(path);
  lock.open(QIODevice::WriteOnly);
  lock.write(QByteArray::number(pid) + "\nquorel\n\n");
}

TEST(CollageRunner, StartsOnIdleAndEndsOnlyItsOwnCollage) {
  enum class Lock { None, LiveCollage, GoneCollage };
  struct Row {
    const char* name;
    Lock lock;
    bool started;
  };
  const Row rows[] = {
      {.name = "no other collage", .lock = Lock::None, .started = true},
      {.name = "a collage started by hand runs", .lock = Lock::LiveCollage, .started = false},
      {.name = "a lock left by a collage that is gone", .lock = Lock::GoneCollage, .started = true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir dir;
    const QString standIn = writeStandIn(dir), lock = dir.filePath(QStringLiteral("quorel.lock"));
    if (row.lock == Lock::LiveCollage) writeLock(lock, QCoreApplication::applicationPid());
    if (row.lock == Lock::GoneCollage) writeLock(lock, deadPid());
    idle::CollageRunner runner(standIn, {QStringLiteral("/s"), QStringLiteral("--x")}, lock);

    runner.userIdle();
    runner.userIdle();  // a second report of the same idle period starts nothing more
    EXPECT_EQ(QTest::qWaitFor([&] { return !logOf(standIn).isEmpty(); }, 3000), row.started);
    runner.userActive();
    const QString expected = row.started ? QStringLiteral("/s --x\nTERM\n") : QString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !runner.running(); }, 3000));
    EXPECT_EQ(logOf(standIn), expected);
  }
}

}  // namespace
