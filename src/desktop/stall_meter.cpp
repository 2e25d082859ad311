#include "desktop/stall_meter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace desktop {

void startStallMeter(QObject* parent) {
  const QString path = qEnvironmentVariable("QUOREL_STALL_LOG");
  if (path.isEmpty()) return;
  auto file = std::make_shared<QFile>(path);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
  struct State {
    QElapsedTimer clock;
    qint64 last = 0, worst = 0, second = 1;
  };
  auto state = std::make_shared<State>();
  state->clock.start();
  constexpr int kPeriodMs = 10;
  auto* timer = new QTimer(parent);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, parent, [file, state] {
    const qint64 now = state->clock.elapsed();
    state->worst = std::max(state->worst, now - state->last - kPeriodMs);
    state->last = now;
    if (now >= state->second * 1000) {
      file->write(QByteArray::number(state->second) + ' ' + QByteArray::number(state->worst) +
                  '\n');
      file->flush();
      state->worst = 0;
      state->second = now / 1000 + 1;
    }
  });
  timer->start(kPeriodMs);
}

}  // namespace desktop
