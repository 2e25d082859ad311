#include "desktop/stall_meter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace desktop {

QByteArray StallRecord::tick(qint64 nowMs) {
  worst_ = std::max(worst_, nowMs - last_ - kStallPeriodMs);
  last_ = nowMs;
  if (nowMs < second_ * 1000) return {};
  const QByteArray line = QByteArray::number(second_) + ' ' + QByteArray::number(worst_) + '\n';
  worst_ = 0;
  second_ = nowMs / 1000 + 1;
  return line;
}

void startStallMeter(QObject* parent) {
  const QString path = qEnvironmentVariable("QUOREL_STALL_LOG");
  if (path.isEmpty()) return;
  auto file = std::make_shared<QFile>(path);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
  auto clock = std::make_shared<QElapsedTimer>();
  auto record = std::make_shared<StallRecord>();
  clock->start();
  auto* timer = new QTimer(parent);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, parent, [file, clock, record] {
    const QByteArray line = record->tick(clock->elapsed());
    if (line.isEmpty()) return;
    file->write(line);
    file->flush();
  });
  timer->start(kStallPeriodMs);
}

}  // namespace desktop
