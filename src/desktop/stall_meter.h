// A measuring aid for the benchmarks: with QUOREL_STALL_LOG=FILE in the environment, a 10 ms
// timer on the UI thread notes how late it fires, and once a second the worst lateness of that
// second is appended to FILE as "SECONDS_SINCE_START WORST_MS". Nothing runs without it.
#pragma once

#include <QByteArray>
#include <QtGlobal>

class QObject;

namespace desktop {

void startStallMeter(QObject* parent);

constexpr int kStallPeriodMs = 10;

// The meter's bookkeeping apart from its clock: told when each tick fired (milliseconds since
// the start), it gives the line for a second that has just ended, else nothing.
class StallRecord {
 public:
  QByteArray tick(qint64 nowMs);

 private:
  qint64 last_ = 0, worst_ = 0, second_ = 1;
};

}  // namespace desktop
