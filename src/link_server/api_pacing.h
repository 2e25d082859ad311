// How often the picture API may be asked. Rules:
// - a budget: at most perMinute requests in any 60 seconds (a sliding window: a request counts
//   until a full minute has passed since it was sent);
// - a pause after the API says it is overloaded (429, 503) or cannot be reached: as long as its
//   Retry-After says, at most an hour, else 30 s doubling with every failure in a row up to
//   30 min; the first answer that arrives resets the doubling.
// Times are milliseconds of a steady clock, handed in, so the rules are tested without waiting.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <deque>
#include <optional>

namespace link_server {

class ApiPacing {
 public:
  static constexpr qint64 kWindowMs = 60'000;
  static constexpr qint64 kFirstBackOffMs = 30'000;
  static constexpr qint64 kLongestBackOffMs = 30 * 60'000;
  static constexpr qint64 kLongestRetryAfterMs = 60 * 60'000;
  static constexpr qint64 kShortestPauseMs = 1'000;

  explicit ApiPacing(int perMinute) : perMinute_(perMinute) {}

  // Not paused, and the budget has room for one more besides the `queued` already waiting.
  bool mayAsk(qint64 now, int queued = 0);
  void asked(qint64 now) { sent_.push_back(now); }
  // Starts a pause (Retry-After in ms when the API gave one) and returns its length.
  qint64 pause(qint64 now, std::optional<qint64> retryAfterMs);
  void answered() { failures_ = 0; }
  bool paused(qint64 now) const { return now < pausedUntil_; }
  qint64 pausedUntil() const { return pausedUntil_; }

 private:
  int perMinute_;
  std::deque<qint64> sent_;
  int failures_ = 0;
  qint64 pausedUntil_ = 0;
};

// A Retry-After value, delay-seconds or an HTTP date, as milliseconds from now (0 for a date
// already past); nothing when it is neither.
std::optional<qint64> RetryAfterMs(const QByteArray& value, const QDateTime& now);

}  // namespace link_server
