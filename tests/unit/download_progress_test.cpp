#include "installer/download_progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(DownloadBarValue, AnnouncedSizeFillsNinetyStepsWithoutReachingNinety) {
  EXPECT_EQ(DownloadBarValue(0, 0), 0) << "a notification without counts";
  EXPECT_EQ(DownloadBarValue(0, 1000), 0);
  EXPECT_EQ(DownloadBarValue(500, 1000), 44);
  EXPECT_EQ(DownloadBarValue(1000, 1000), 89);
  // 100 MB: done x 90 passes 32 bits half-way, and must not wrap.
  constexpr std::uint32_t k100MB = 100'000'000;
  EXPECT_EQ(DownloadBarValue(k100MB / 2, k100MB), 44);
  EXPECT_EQ(DownloadBarValue(k100MB / 10 * 9, k100MB), 80);
  EXPECT_EQ(DownloadBarValue(k100MB, k100MB), 89);
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  EXPECT_EQ(DownloadBarValue(kMax, kMax), 89) << "total + 1 must not wrap to 0";
  // More bytes than announced stop at the limit.
  EXPECT_EQ(DownloadBarValue(2000, 1000), 89);
  EXPECT_EQ(DownloadBarValue(kMax, 1), 89);
}

TEST(DownloadBarValue, UnannouncedSizeCreepsTowardsTheLimit) {
  EXPECT_EQ(DownloadBarValue(16u << 20, 0), 44);
  EXPECT_EQ(DownloadBarValue(48u << 20, 0), 66);
  std::int64_t previous = 0;
  for (std::uint64_t done = 1u << 20; done <= std::numeric_limits<std::uint32_t>::max(); done *= 2) {
    const std::int64_t value = DownloadBarValue(static_cast<std::uint32_t>(done), 0);
    EXPECT_GT(value, previous) << done << " bytes";
    EXPECT_LT(value, 89) << done << " bytes";
    previous = value;
  }
}

TEST(AdvanceDownloadBar, MovesOnlyForwards) {
  EXPECT_EQ(AdvanceDownloadBar(0, 500, 1000), 44);
  EXPECT_EQ(AdvanceDownloadBar(44, 500, 1000), std::nullopt) << "a repeated count";
  EXPECT_EQ(AdvanceDownloadBar(44, 400, 1000), std::nullopt) << "a smaller count";
  EXPECT_EQ(AdvanceDownloadBar(44, 0, 0), std::nullopt) << "a notification without counts";
  EXPECT_EQ(AdvanceDownloadBar(44, 1000, 1000), 89);
  EXPECT_EQ(AdvanceDownloadBar(89, 5000, 1000), std::nullopt);
}

TEST(StallWatch, AbortsAfterThirtyQuietSecondsThenAbandonsAfterTheGraceEachOnce) {
  StallWatch watch(1000);
  EXPECT_EQ(watch.MsUntilDue(1000), kStallTimeoutMs);
  // Connecting and sending the request is not movement: a server that never answers stalls.
  watch.Observe(5000, 0, false);
  EXPECT_EQ(watch.Next(1000 + kStallTimeoutMs - 1), StallStep::kWatch);
  EXPECT_EQ(watch.Next(1000 + kStallTimeoutMs), StallStep::kAbort);
  // Once stopping, a late byte does not call the stop back, and each step comes once.
  watch.Observe(1000 + kStallTimeoutMs + 10, 500, true);
  EXPECT_EQ(watch.Next(1000 + kStallTimeoutMs + 20), StallStep::kWatch);
  EXPECT_EQ(watch.MsUntilDue(1000 + kStallTimeoutMs + 20), kStallAbortGraceMs - 20);
  EXPECT_EQ(watch.Next(1000 + kStallTimeoutMs + kStallAbortGraceMs), StallStep::kAbandon);
  EXPECT_EQ(watch.Next(1000 + 10 * kStallTimeoutMs), StallStep::kWatch);
}

TEST(StallWatch, OnlyNewBytesOrTheResponsesArrivalRestartTheClock) {
  StallWatch watch(0);
  watch.Observe(10'000, 0, true);  // the headers are in
  watch.Observe(20'000, 0, true);  // still only the headers
  EXPECT_EQ(watch.Next(10'000 + kStallTimeoutMs), StallStep::kAbort);

  // One byte a second for 45 s, seen only in the cache file while the notified count stays
  // at what the first notification said; then a source that shows less (a notification
  // behind the cache file) and repeats of the count are no movement.
  StallWatch drip(0);
  drip.Observe(500, 8192, true);
  for (std::uint64_t second = 1; second <= 45; ++second) {
    drip.Observe(second * 1000, 8192 + second, true);
    ASSERT_EQ(drip.Next(second * 1000 + 999), StallStep::kWatch) << "cut at second " << second;
  }
  drip.Observe(50'000, 8192, true);
  drip.Observe(60'000, 8192 + 45, true);
  EXPECT_EQ(drip.Next(45'000 + kStallTimeoutMs), StallStep::kAbort);
}
