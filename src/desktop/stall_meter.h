// A measuring aid for the benchmarks: with QUOREL_STALL_LOG=FILE in the environment, a 10 ms
// timer on the UI thread notes how late it fires, and once a second the worst lateness of that
// second is appended to FILE as "SECONDS_SINCE_START WORST_MS". Nothing runs without it.
#pragma once

class QObject;

namespace desktop {

void startStallMeter(QObject* parent);

}  // namespace desktop
