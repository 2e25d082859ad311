// The picture API's budget and pauses, on a clock the rows move by hand.
#include "link_server/api_pacing.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using link_server::ApiPacing;
constexpr qint64 kS = 1000;

// A sequence of steps on one pacing of 3 requests a minute; each step happens at `at`.
struct Step {
  enum Kind { kAsk, kFail, kAnswer } kind;
  qint64 at;
  std::optional<qint64> retryAfter = std::nullopt;  // for kFail
  bool mayAsk = true;                               // for kAsk: whether it may go
  qint64 pause = 0;                                 // for kFail: the pause started
};
struct Row {
  const char* name;
  std::vector<Step> steps;
};

const Row kRows[] = {
    {.name = "three a minute, the fourth waits for the first to leave the window",
     .steps = {{Step::kAsk, 0},
               {Step::kAsk, 10 * kS},
               {Step::kAsk, 20 * kS},
               {Step::kAsk, 59 * kS, {}, false},
               {Step::kAsk, 60 * kS}}},
    {.name = "failures without Retry-After double from 30 s to 30 min",
     .steps = {{Step::kFail, 0, {}, true, 30 * kS},
               {Step::kFail, 30 * kS, {}, true, 60 * kS},
               {Step::kFail, 90 * kS, {}, true, 120 * kS},
               {Step::kFail, 210 * kS, {}, true, 240 * kS},
               {Step::kFail, 450 * kS, {}, true, 480 * kS},
               {Step::kFail, 930 * kS, {}, true, 960 * kS},
               {Step::kFail, 1890 * kS, {}, true, 1800 * kS},
               {Step::kFail, 3690 * kS, {}, true, 1800 * kS}}},
    {.name = "an answer starts the doubling over",
     .steps = {{Step::kFail, 0, {}, true, 30 * kS},
               {Step::kFail, 30 * kS, {}, true, 60 * kS},
               {Step::kAnswer, 90 * kS},
               {Step::kFail, 91 * kS, {}, true, 30 * kS}}},
    {.name = "Retry-After is honoured, capped at an hour, at least a second",
     .steps = {{Step::kFail, 0, 120 * kS, true, 120 * kS},
               {Step::kFail, 120 * kS, 5 * 3600 * kS, true, 3600 * kS},
               {Step::kFail, 3720 * kS, 0, true, 1 * kS}}},
    {.name = "nothing is asked during a pause, and at once after it",
     .steps = {{Step::kFail, 0, 10 * kS, true, 10 * kS},
               {Step::kAsk, 9999, {}, false},
               {Step::kAsk, 10 * kS}}},
};

TEST(ApiPacing, BudgetAndPauses) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    ApiPacing pacing(3);
    for (size_t i = 0; i < row.steps.size(); ++i) {
      const Step& step = row.steps[i];
      SCOPED_TRACE(i);
      switch (step.kind) {
        case Step::kAsk:
          EXPECT_EQ(pacing.mayAsk(step.at), step.mayAsk);
          if (step.mayAsk) pacing.asked(step.at);
          break;
        case Step::kFail:
          EXPECT_EQ(pacing.pause(step.at, step.retryAfter), step.pause);
          break;
        case Step::kAnswer:
          pacing.answered();
          break;
      }
    }
  }
}

TEST(ApiPacing, RetryAfterReadsSecondsAndDates) {
  const QDateTime now = QDateTime::fromString("2026-03-12T10:00:00Z", Qt::ISODate);
  const struct {
    const char* name;
    QByteArray value;
    std::optional<qint64> ms;
  } rows[] = {
      {"seconds", "120", 120 * kS},
      {"a date in an hour", "Thu, 12 Mar 2026 11:00:00 GMT", 3600 * kS},
      {"a date with a numeric zone", "Thu, 12 Mar 2026 11:00:30 +0100", 30 * kS},
      {"a date already past", "Wed, 11 Mar 2026 10:00:00 GMT", 0},
      {"absurdly many seconds", "99999999999999999999", 86'400 * kS},
      {"negative", "-5", std::nullopt},
      {"words", "soon", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(link_server::RetryAfterMs(row.value, now), row.ms);
  }
}

}  // namespace
