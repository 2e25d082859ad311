#include "link_server/api_pacing.h"

#include <algorithm>

namespace link_server {

bool ApiPacing::mayAsk(qint64 now, int queued) {
  while (!sent_.empty() && sent_.front() <= now - kWindowMs) sent_.pop_front();
  return !paused(now) && static_cast<qint64>(sent_.size()) + queued < perMinute_;
}

qint64 ApiPacing::pause(qint64 now, std::optional<qint64> retryAfterMs) {
  qint64 length = 0;
  if (retryAfterMs) {
    length = std::min(*retryAfterMs, kLongestRetryAfterMs);
  } else {
    length = kFirstBackOffMs << std::min(failures_, 6);  // 30 s * 64 passes 30 min
  }
  ++failures_;
  length =
      std::clamp(length, kShortestPauseMs, retryAfterMs ? kLongestRetryAfterMs : kLongestBackOffMs);
  pausedUntil_ = std::max(pausedUntil_, now + length);
  return length;
}

std::optional<qint64> RetryAfterMs(const QByteArray& value, const QDateTime& now) {
  const QByteArray text = value.trimmed();
  if (text.isEmpty()) return std::nullopt;
  if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    // Anything past a day is as good as an hour: the cap applies later.
    return text.size() > 6 ? qint64{86'400'000} : text.toLongLong() * 1000;
  }
  // The IMF date servers send ("Wed, 21 Oct 2015 07:28:00 GMT"); Qt reads it with a zone.
  QString date = QString::fromLatin1(text);
  if (date.endsWith(u" GMT")) date = date.chopped(4) + QStringLiteral(" +0000");
  const QDateTime when = QDateTime::fromString(date, Qt::RFC2822Date);
  if (!when.isValid()) return std::nullopt;
  return std::max<qint64>(0, now.msecsTo(when));
}

}  // namespace link_server
