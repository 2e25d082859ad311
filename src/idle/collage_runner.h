// Starts the collage when the user has gone idle and ends it when they are back.
//
// - Only one collage: none is started while another runs (one started by hand holds the
//   program's single-instance lock), and that one is never ended here.
// - The collage started here is ended with SIGTERM (the way screen savers end their hacks), and
//   killed if it has not gone five seconds later. It also ends when quorel-idle does.
// - A collage that ends by itself (its own exit, a failure) is noted on stderr; the next idle
//   period starts a new one.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace idle {

class CollageRunner {
 public:
  CollageRunner(QString program, QStringList arguments, QString lockPath);
  ~CollageRunner();
  CollageRunner(const CollageRunner&) = delete;
  CollageRunner& operator=(const CollageRunner&) = delete;

  void userIdle();
  void userActive();
  bool running() const { return process_.state() != QProcess::NotRunning; }

 private:
  bool anotherCollageRuns() const;

  QString program_;
  QStringList arguments_;
  QString lockPath_;
  QProcess process_;
  QTimer kill_;
  bool ending_ = false;  // asked to end: its end is no news
};

}  // namespace idle
