// QtImageTransfer: fetches an address's raw bytes for saving, synchronously for the caller
// while a local event loop keeps the program's events running.
//
// [X] http and https only, the system proxy, redirects (bounded), a time-out, a size cap
// [X] cancel() from an event handler ends the fetch in progress
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include "platform/image_transfer.h"

namespace desktop {

class QtImageTransfer : public platform::ImageTransfer {
 public:
  static constexpr qint64 kMaxBytes = 32LL * 1024 * 1024;
  static constexpr int kTimeoutMs = 60000;
  static constexpr int kMaxRedirects = 10;

  QtImageTransfer();
  void cancel() override;
  platform::TransferResult fetch(const std::string& url) override;

  void setTimeoutMs(int ms) { timeoutMs_ = ms; }
  void setMaxBytes(qint64 bytes) { maxBytes_ = bytes; }

 private:
  QNetworkAccessManager network_;
  QPointer<QNetworkReply> reply_;
  int timeoutMs_ = kTimeoutMs;
  qint64 maxBytes_ = kMaxBytes;
};

}  // namespace desktop
