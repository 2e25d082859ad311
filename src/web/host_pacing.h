// Manners towards each host: a few size probes at a time, and a pause when a host answers
// "too many requests" or "unavailable" with a Retry-After.
//
// Rules:
// - At most maxProbes probes per host run at once; the others wait their turn in order. A probe
//   holds its turn from whenProbeSlotFree() until release() or until its owner is destroyed.
// - A 429 or 503 answer with a Retry-After of seconds or an HTTP date pauses its host for that
//   long, at most kLongestPauseMs; a longer pause already running is kept. Without the header, or
//   with one that does not parse or lies in the past, nothing is paused.
// - While a host is paused, waitingStatus() names the status it answered, and the engine opens
//   nothing there: each such request fails at once with that status.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <deque>
#include <functional>

#include "web/engine_limits.h"

namespace web {

class ProbeSlot;

class HostPacing : public QObject {
 public:
  explicit HostPacing(int maxProbes, QObject* parent = nullptr)
      : QObject(parent), maxProbes_(maxProbes) {}

  qint32 waitingStatus(const QUrl& url) const;
  // Returns the pause in seconds when this answer starts one, else 0.
  int noteAnswer(const QUrl& url, int httpStatus, const QByteArray& retryAfter);

  // Runs start (from the event loop, unless owner is gone) once a probe turn for url's host is
  // free.
  void whenProbeSlotFree(const QUrl& url, QObject* owner, std::function<void()> start);
  void release(QObject* owner);

  // Pauses given in Retry-After headers, in milliseconds (-1 when there is none to honour).
  static qint64 retryAfterMs(const QByteArray& value, qint64 nowMs);

 private:
  friend class ProbeSlot;
  struct Host {
    int running = 0;
    std::deque<ProbeSlot*> waiting;
  };
  struct Pause {
    qint64 untilMs = 0;
    int status = 0;
  };
  void slotGone(ProbeSlot* slot);

  int maxProbes_;
  QHash<QString, Host> hosts_;
  QHash<QString, Pause> pauses_;
};

}  // namespace web
