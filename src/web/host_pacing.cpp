#include "web/host_pacing.h"

#include <QDateTime>
#include <QPointer>
#include <algorithm>

namespace web {
namespace {

QString hostOf(const QUrl& url) { return url.host().toLower(); }

}  // namespace

// A probe's turn at its host, a child of the probe: it goes with the probe.
class ProbeSlot : public QObject {
 public:
  ProbeSlot(HostPacing& pacing, QString host, QObject* owner, std::function<void()> start)
      : QObject(owner), pacing_(&pacing), host_(std::move(host)), start_(std::move(start)) {}
  ~ProbeSlot() override {
    if (pacing_) pacing_->slotGone(this);
  }
  void run() {
    running_ = true;
    QMetaObject::invokeMethod(parent(), std::move(start_), Qt::QueuedConnection);
  }

  QPointer<HostPacing> pacing_;
  QString host_;
  std::function<void()> start_;
  bool running_ = false;
};

qint32 HostPacing::waitingStatus(const QUrl& url) const {
  const auto pause = pauses_.constFind(hostOf(url));
  if (pause == pauses_.constEnd()) return 0;
  return pause->untilMs > QDateTime::currentMSecsSinceEpoch() ? pause->status : 0;
}

qint64 HostPacing::retryAfterMs(const QByteArray& value, qint64 nowMs) {
  const QByteArray text = value.trimmed();
  if (text.isEmpty()) return -1;
  bool number = false;
  const qint64 seconds = text.toLongLong(&number);
  qint64 ms = -1;
  if (number) {
    ms = seconds > 0 ? std::min(seconds, kLongestPauseMs / 1000) * 1000 : -1;
  } else {
    // An HTTP date ends in "GMT", which the mail-style date reader wants as an offset.
    QString date = QString::fromLatin1(text);
    if (date.endsWith(u" GMT")) date = date.chopped(4) + QStringLiteral(" +0000");
    const QDateTime when = QDateTime::fromString(date, Qt::RFC2822Date);
    if (when.isValid()) ms = when.toMSecsSinceEpoch() - nowMs;
  }
  return ms > 0 ? std::min(ms, kLongestPauseMs) : -1;
}

int HostPacing::noteAnswer(const QUrl& url, int httpStatus, const QByteArray& retryAfter) {
  if (httpStatus != 429 && httpStatus != 503) return 0;
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const qint64 ms = retryAfterMs(retryAfter, now);
  if (ms <= 0) return 0;
  if (pauses_.size() > 4096) pauses_.removeIf([now](auto it) { return it.value().untilMs <= now; });
  Pause& pause = pauses_[hostOf(url)];
  if (pause.untilMs >= now + ms) return 0;
  pause = {now + ms, httpStatus};
  return static_cast<int>((ms + 999) / 1000);
}

void HostPacing::whenProbeSlotFree(const QUrl& url, QObject* owner, std::function<void()> start) {
  auto* slot = new ProbeSlot(*this, hostOf(url), owner, std::move(start));
  Host& host = hosts_[slot->host_];
  if (host.running < maxProbes_) {
    ++host.running;
    slot->run();
  } else {
    host.waiting.push_back(slot);
  }
}

void HostPacing::release(QObject* owner) {
  for (ProbeSlot* slot : owner->findChildren<ProbeSlot*>(Qt::FindDirectChildrenOnly)) delete slot;
}

void HostPacing::slotGone(ProbeSlot* slot) {
  const auto found = hosts_.find(slot->host_);
  if (found == hosts_.end()) return;
  Host& host = *found;
  if (!slot->running_) {
    std::erase(host.waiting, slot);
    return;
  }
  --host.running;
  if (!host.waiting.empty()) {
    ProbeSlot* next = host.waiting.front();
    host.waiting.pop_front();
    ++host.running;
    next->run();
  } else if (host.running == 0) {
    hosts_.erase(found);
  }
}

}  // namespace web
