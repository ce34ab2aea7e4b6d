#include "controls/progress_fill.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

// The installer's bar: range 0..100, fill picture 520 pixels wide.
std::optional<FillExtent> Fill(std::int64_t pos, float barWidth, float barHeight) {
  return ProgressFill(pos, 0, 100, 520, barWidth, barHeight);
}

}  // namespace

TEST(ProgressBarSize, IsTheTrackScaledPerAxis) {
  EXPECT_EQ(ProgressBarSize(520, 10, 96, 96), (ControlSize{520, 10}));
  EXPECT_EQ(ProgressBarSize(520, 10, 144, 144), (ControlSize{780, 15}));
  EXPECT_EQ(ProgressBarSize(520, 10, 120, 96), (ControlSize{650, 10}));
  EXPECT_EQ(ProgressBarSize(520, 10, 120, 120), (ControlSize{650, 13}));  // 12.5 rounds up
}

TEST(ProgressFill, CropsThePictureToThePositionAt96Dpi) {
  EXPECT_EQ(Fill(0, 520, 10), std::nullopt) << "position 0 shows the bare track";
  EXPECT_EQ(Fill(1, 520, 10), (FillExtent{5, 5, 10}));  // trunc(5.2)
  EXPECT_EQ(Fill(45, 520, 10), (FillExtent{234, 234, 10}));
  EXPECT_EQ(Fill(100, 520, 10), (FillExtent{520, 520, 10}));
  EXPECT_EQ(Fill(89, 520, 10), (FillExtent{462, 462, 10}));  // trunc(462.8)
}

TEST(ProgressFill, StretchesTheCropAcrossAScaledBar) {
  // At 144 DPI the source stays in picture pixels while the destination is the scaled bar.
  EXPECT_EQ(Fill(1, 780, 15), (FillExtent{5, 7, 15}));  // trunc(7.8)
  EXPECT_EQ(Fill(45, 780, 15), (FillExtent{234, 351, 15}));
  EXPECT_EQ(Fill(100, 780, 15), (FillExtent{520, 780, 15}));
  // A fractional height is truncated.
  EXPECT_EQ(Fill(50, 650, 12.5f), (FillExtent{260, 325, 12}));
}

TEST(ProgressFill, MeasuresThePositionAgainstTheWidthOfTheRange) {
  // The ratio is pos / (upper - lower), not (pos - lower) / (upper - lower).
  EXPECT_EQ(ProgressFill(25, 50, 150, 520, 520, 10), (FillExtent{130, 130, 10}));
}

TEST(ProgressFill, ARangeWithoutWidthShowsNoFill) {
  // pos / 0 would be infinite, and converting it to a width undefined.
  EXPECT_EQ(ProgressFill(45, 100, 100, 520, 520, 10), std::nullopt);
  EXPECT_EQ(ProgressFill(45, 100, 0, 520, 520, 10), std::nullopt) << "an inverted range";
}

TEST(ProgressFill, PositionsOutsideTheRangeStayInsideTheBar) {
  EXPECT_EQ(Fill(150, 520, 10), (FillExtent{520, 520, 10}));
  EXPECT_EQ(Fill(-5, 520, 10), (FillExtent{0, 0, 10}));
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(Fill(kMax, 520, 10), (FillExtent{520, 520, 10}));
  // The widest range subtracts without overflowing: a quarter of it is a quarter of the bar.
  EXPECT_EQ(ProgressFill(kMax / 2 + 1, kMin, kMax, 520, 520, 10), (FillExtent{130, 130, 10}));
}
