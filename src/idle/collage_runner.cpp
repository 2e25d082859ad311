#include "idle/collage_runner.h"

#include <sys/prctl.h>

#include <QLockFile>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace idle {
namespace {

constexpr int kKillAfterMs = 5000;

bool processAlive(qint64 pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

CollageRunner::CollageRunner(QString program, QStringList arguments, QString lockPath)
    : program_(std::move(program)),
      arguments_(std::move(arguments)),
      lockPath_(std::move(lockPath)) {
  process_.setProcessChannelMode(QProcess::ForwardedChannels);
  process_.setInputChannelMode(QProcess::ForwardedInputChannel);
  // Our end (a crash, a kill) ends the collage too: nothing would end it on the next input.
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  QObject::connect(&process_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart)
      std::fprintf(stderr, "quorel-idle: cannot start %s: %s\n", qPrintable(program_),
                   qPrintable(process_.errorString()));
  });
  QObject::connect(&process_, &QProcess::finished, [this](int status) {
    // Ended without being asked: the user used its own exit, or it failed.
    if (!ending_)
      std::fprintf(stderr, "quorel-idle: the collage ended by itself (status %d)\n", status);
    ending_ = false;
    kill_.stop();
  });
  kill_.setSingleShot(true);
  QObject::connect(&kill_, &QTimer::timeout, [this] { process_.kill(); });
}

CollageRunner::~CollageRunner() {
  if (!running()) return;
  ending_ = true;
  process_.terminate();
  if (!process_.waitForFinished(kKillAfterMs)) process_.kill();
  process_.waitForFinished(1000);
}

bool CollageRunner::anotherCollageRuns() const {
  QLockFile lock(lockPath_);
  qint64 pid = 0;
  QString host, application;
  return lock.getLockInfo(&pid, &host, &application) && processAlive(pid);
}

void CollageRunner::userIdle() {
  if (running() || anotherCollageRuns()) return;
  process_.start(program_, arguments_);
}

void CollageRunner::userActive() {
  if (!running() || ending_) return;
  ending_ = true;
  process_.terminate();
  kill_.start(kKillAfterMs);
}

}  // namespace idle
