// What this process writes to stderr while it lives, in a file: for tests of what reaches the
// terminal (nothing, or a bounded amount).
#pragma once

#include <unistd.h>

#include <QTemporaryFile>
#include <cstdio>

namespace webtest {

class ErrorCapture {
 public:
  ErrorCapture() {
    file_.open();
    std::fflush(stderr);
    saved_ = dup(2);
    dup2(file_.handle(), 2);
  }
  ~ErrorCapture() { restore(); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;
  QByteArray text() {
    restore();
    file_.seek(0);
    return file_.readAll();
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  QTemporaryFile file_;
  int saved_ = -1;
};

}  // namespace webtest
