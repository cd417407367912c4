// The tables' answers kept for a moment: never past their life, never across a change this
// process made, and never a refusal.
#include "server/table_cache.h"

#include <gtest/gtest.h>

namespace {

using server::Answer;
using server::JsonAnswer;
using server::TableCache;
using namespace std::chrono_literals;

class TableCacheTest : public testing::Test {
 protected:
  // An answer that says how many times a table was made.
  Answer Make() { return JsonAnswer(200, std::to_string(++made_)); }
  std::string Read(const char* level, TableCache::Clock::time_point now) {
    return cache_
        .Get(
            level, [this] { return Make(); }, now)
        .body;
  }

  TableCache cache_{1s};
  TableCache::Clock::time_point start_ = TableCache::Clock::now();
  int made_ = 0;
};

TEST_F(TableCacheTest, AnAnswerLivesItsLifeAndNoLonger) {
  EXPECT_EQ(Read("1", start_), "1");
  EXPECT_EQ(Read("1", start_ + 999ms), "1");
  EXPECT_EQ(Read("2", start_ + 999ms), "2");  // each level its own
  EXPECT_EQ(Read("1", start_ + 1s), "3");
}

TEST_F(TableCacheTest, AnEntryMadeHereShowsAtOnce) {
  EXPECT_EQ(Read("1", start_), "1");
  cache_.Forget();
  EXPECT_EQ(Read("1", start_), "2");
}

// A read that began before an entry was committed may have missed it: its answer is given
// to its own reader but kept for nobody else.
TEST_F(TableCacheTest, AnAnswerMadeAcrossAChangeIsNotKept) {
  const Answer first = cache_.Get(
      "1",
      [this] {
        cache_.Forget();
        return Make();
      },
      start_);
  EXPECT_EQ(first.body, "1");
  EXPECT_EQ(Read("1", start_), "2");
  EXPECT_EQ(Read("1", start_), "2");
}

TEST_F(TableCacheTest, RefusalsAreNotKept) {
  const auto away = [this] {
    ++made_;
    return server::StoreUnavailable();
  };
  EXPECT_EQ(cache_.Get("1", away, start_).status, 503);
  EXPECT_EQ(made_, 1);
  EXPECT_EQ(Read("1", start_), "2");
}

}  // namespace
