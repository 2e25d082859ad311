#include "web/lru_cache.h"

#include <gtest/gtest.h>

namespace {

TEST(LruCache, EvictsTheLeastRecentlyUsedButKeepsTheNewestWhateverItsCost) {
  web::LruCache<int> cache(10);
  cache.insert("a", 1, 4);
  cache.insert("b", 2, 4);
  ASSERT_NE(cache.find("a"), nullptr);  // "a" is now the most recently used
  cache.insert("c", 3, 4);              // over the bound: "b" goes
  EXPECT_EQ(cache.find("b"), nullptr);
  EXPECT_NE(cache.find("a"), nullptr);
  EXPECT_EQ(cache.totalCost(), 8);
  cache.insert("huge", 4, 25);  // alone above the bound: kept, everything older goes
  ASSERT_NE(cache.find("huge"), nullptr);
  EXPECT_EQ(*cache.find("huge"), 4);
  EXPECT_EQ(cache.size(), 1);
  cache.insert("d", 5, 1);  // the next one pushes it out
  EXPECT_EQ(cache.find("huge"), nullptr);
  EXPECT_EQ(cache.totalCost(), 1);
}

}  // namespace
