#include "web/lru_cache.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Cache = web::LruCache<int>;

// What an entry with a one-character key and no bytes of its own costs.
constexpr qint64 kOne = Cache::kEntryOverheadBytes + sizeof(int) + sizeof(QChar);

struct Step {
  QString key;
  qint64 valueBytes = -1;  // -1: a look-up, which makes the key the most recently used
};

TEST(LruCache, EvictsTheLeastRecentlyUsedPastEitherBound) {
  const QString longKey(1000, 'k');
  const struct Row {
    const char* name;
    int maxEntries;
    qint64 maxBytes;
    std::vector<Step> steps;
    std::vector<QString> kept;
  } rows[] = {
      {.name = "the count bound",
       .maxEntries = 2,
       .maxBytes = 1 << 20,
       .steps = {{"a", 4}, {"b", 4}, {"a"}, {"c", 4}},
       .kept = {"a", "c"}},
      {.name = "the byte bound",
       .maxEntries = 100,
       .maxBytes = 2 * kOne + 8,
       .steps = {{"a", 4}, {"b", 4}, {"a"}, {"c", 4}},
       .kept = {"a", "c"}},
      {.name = "an entry over the byte bound is kept alone, until the next",
       .maxEntries = 100,
       .maxBytes = 2 * kOne,
       .steps = {{"a", 0}, {"b", 0}, {"huge", 10 * kOne}},
       .kept = {"huge"}},
      {.name = "a long key costs its characters",
       .maxEntries = 100,
       .maxBytes = 3 * kOne,
       .steps = {{"a", 0}, {longKey, 0}, {"b", 0}},
       .kept = {"b"}},
      {.name = "a key inserted again is replaced, not counted twice",
       .maxEntries = 2,
       .maxBytes = 1 << 20,
       .steps = {{"a", 0}, {"b", 0}, {"a", 8}, {"c", 0}},
       .kept = {"a", "c"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Cache cache(row.maxEntries, row.maxBytes);
    std::map<QString, qint64> costs;
    for (const Step& step : row.steps) {
      if (step.valueBytes < 0) {
        EXPECT_NE(cache.find(step.key), nullptr);
        continue;
      }
      cache.insert(step.key, 1, step.valueBytes);
      costs[step.key] = kOne - qint64(sizeof(QChar)) * (1 - step.key.size()) + step.valueBytes;
    }
    qint64 keptBytes = 0;
    for (const QString& key : row.kept) {
      EXPECT_NE(cache.find(key), nullptr) << key.left(20).toStdString();
      keptBytes += costs[key];
    }
    EXPECT_EQ(cache.size(), int(row.kept.size()));
    EXPECT_EQ(cache.bytes(), keptBytes);
  }
}

}  // namespace
