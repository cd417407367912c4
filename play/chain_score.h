// What the points gathered in one clearing phase are worth: 10 x points x
// points, added to the score when the next piece is spawned.
#pragma once

#include <algorithm>
#include <cstdint>

// The high-score files keep a score in nine characters, so no score grows past
// this. Ordinary play never comes near it (a single phase would need 10,000
// points); the cap only keeps a freak phase from wrapping the score negative.
constexpr std::int32_t kMaxScore = 999999999;

// The score after a phase worth `chainPoints`. Worked in 64 bits and capped at
// kMaxScore, so no value of either argument can overflow.
constexpr std::int32_t AddChainScore(std::int32_t score, std::int32_t chainPoints) {
  // Beyond this many points 10 x points x points alone exceeds the cap.
  constexpr std::int64_t kPointsThatFillTheCap = 10000;
  const std::int64_t points = chainPoints < 0 ? -std::int64_t{chainPoints} : chainPoints;
  const std::int64_t added = points > kPointsThatFillTheCap ? kMaxScore : 10 * points * points;
  const std::int64_t total = std::min<std::int64_t>(std::int64_t{score} + added, kMaxScore);
  // A score already above the cap is left as it is rather than lowered.
  return static_cast<std::int32_t>(std::max<std::int64_t>(total, score));
}
