#include "controls/image_frames.h"

#include <gtest/gtest.h>

TEST(StripFrame, SplitsTheStripIntoFourRows) {
  // The 14 x 56 close-button strip.
  EXPECT_EQ(StripFrame(14, 56, STATE_NORMAL), (PixelRect{0, 0, 14, 14}));
  EXPECT_EQ(StripFrame(14, 56, STATE_HOVER), (PixelRect{0, 14, 14, 14}));
  EXPECT_EQ(StripFrame(14, 56, STATE_PRESSED), (PixelRect{0, 28, 14, 14}));
  EXPECT_EQ(StripFrame(14, 56, STATE_DISABLED), (PixelRect{0, 42, 14, 14}));
  // The 160 x 160 install-button strip: frame 3 starts at row 120 and is 40 rows high.
  EXPECT_EQ(StripFrame(160, 160, STATE_DISABLED), (PixelRect{0, 120, 160, 40}));
}

TEST(StripFrame, FormsTheProductBeforeDividing) {
  // 4 frames over 10 rows: tops 0, 2, 5, 7 (not 0, 2, 4, 6), each 2 rows high.
  EXPECT_EQ(StripFrame(5, 10, 1).y, 2);
  EXPECT_EQ(StripFrame(5, 10, 2).y, 5);
  EXPECT_EQ(StripFrame(5, 10, 3).y, 7);
  EXPECT_EQ(StripFrame(5, 10, 3).height, 2);
}

TEST(StripFrame, EmptyImageGivesEmptyFrames) {
  EXPECT_EQ(StripFrame(0, 0, STATE_PRESSED), (PixelRect{0, 0, 0, 0}));
}

TEST(CheckBoxCell, PicksTheColumnByTheCheckedFlag) {
  EXPECT_EQ(CheckBoxCell(28, 56, STATE_NORMAL, true), (PixelRect{14, 0, 14, 14}));
  EXPECT_EQ(CheckBoxCell(28, 56, STATE_HOVER, false), (PixelRect{0, 14, 14, 14}));
  EXPECT_EQ(CheckBoxCell(28, 56, STATE_PRESSED, true), (PixelRect{14, 28, 14, 14}));
  EXPECT_EQ(CheckBoxCell(28, 56, STATE_DISABLED, false), (PixelRect{0, 42, 14, 14}));
  // An odd width truncates: both columns 3 wide, the checked one starting at 3.
  EXPECT_EQ(CheckBoxCell(7, 8, STATE_NORMAL, true), (PixelRect{3, 0, 3, 2}));
}

TEST(StripControlSize, ScalesBeforeDividingTheHeight) {
  EXPECT_EQ(StripControlSize(14, 56, 96, 96), (ControlSize{14, 14}));
  EXPECT_EQ(StripControlSize(14, 56, 144, 144), (ControlSize{21, 21}));
  // 120 DPI: width 17.5 rounds up to 18; height 70 / 4 truncates to 17.
  EXPECT_EQ(StripControlSize(14, 56, 120, 120), (ControlSize{18, 17}));
  EXPECT_EQ(StripControlSize(160, 160, 144, 144), (ControlSize{240, 60}));
  EXPECT_EQ(StripControlSize(74, 128, 120, 120), (ControlSize{93, 40}));
  // Each axis follows its own DPI.
  EXPECT_EQ(StripControlSize(160, 160, 96, 144), (ControlSize{160, 60}));
  EXPECT_EQ(StripControlSize(0, 0, 144, 144), (ControlSize{0, 0}));
}

TEST(CheckBoxControlSize, IsOneScaledCell) {
  EXPECT_EQ(CheckBoxControlSize(28, 56, 96, 96), (ControlSize{14, 14}));
  EXPECT_EQ(CheckBoxControlSize(28, 56, 120, 120), (ControlSize{17, 17}));  // 35 / 2, 70 / 4
  EXPECT_EQ(CheckBoxControlSize(28, 56, 144, 144), (ControlSize{21, 21}));
  EXPECT_EQ(CheckBoxControlSize(28, 56, 144, 96), (ControlSize{21, 14}));
}
