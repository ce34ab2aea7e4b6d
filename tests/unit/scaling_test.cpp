#include "controls/scaling.h"

#include <gtest/gtest.h>

#include <climits>

TEST(MulDivRound, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDivRound(14, 120, 96), 18);   // 17.5
  EXPECT_EQ(MulDivRound(-14, 120, 96), -18);  // -17.5
  EXPECT_EQ(MulDivRound(14, -120, 96), -18);
  EXPECT_EQ(MulDivRound(14, 120, -96), -18);
  EXPECT_EQ(MulDivRound(-14, -120, -96), -18);
  EXPECT_EQ(MulDivRound(1, 1, 2), 1);
  EXPECT_EQ(MulDivRound(-1, 1, 2), -1);
  EXPECT_EQ(MulDivRound(3, 1, 2), 2);
}

TEST(MulDivRound, RoundsToNearestOtherwise) {
  EXPECT_EQ(MulDivRound(1, 1, 3), 0);
  EXPECT_EQ(MulDivRound(2, 1, 3), 1);
  EXPECT_EQ(MulDivRound(-2, 1, 3), -1);
  EXPECT_EQ(MulDivRound(25, 120, 96), 31);  // 31.25
  EXPECT_EQ(MulDivRound(33, 120, 96), 41);  // 41.25
  EXPECT_EQ(MulDivRound(7, 144, 96), 11);   // 10.5
  EXPECT_EQ(MulDivRound(0, 144, 96), 0);
}

TEST(MulDivRound, FormsTheProductIn64Bits) {
  EXPECT_EQ(MulDivRound(INT_MAX, 2, 2), INT_MAX);
  EXPECT_EQ(MulDivRound(INT_MIN, 3, 3), INT_MIN);
  EXPECT_EQ(MulDivRound(100000, 100000, 100000), 100000);
}

TEST(MulDivRound, ReportsWhatMulDivReportsAsFailure) {
  EXPECT_EQ(MulDivRound(5, 5, 0), -1);
  EXPECT_EQ(MulDivRound(INT_MAX, 2, 1), -1);
  EXPECT_EQ(MulDivRound(INT_MIN, 2, 1), -1);
}

TEST(ScaleToDpi, ScalesFromNinetySixDpi) {
  EXPECT_EQ(ScaleToDpi(600, 96), 600);
  EXPECT_EQ(ScaleToDpi(600, 144), 900);
  EXPECT_EQ(ScaleToDpi(566, 144), 849);
  EXPECT_EQ(ScaleToDpi(28, 120), 35);
  EXPECT_EQ(ScaleToDpi(17, 120), 21);  // 21.25
  EXPECT_EQ(ScaleToDpi(22, 120), 28);  // 27.5
}

namespace {
int g_reads = 0;
ScreenDpi Reads120By144() {
  ++g_reads;
  return {120, 144};
}
}  // namespace

TEST(CDpiScaler, ReadsTheScreenOnceAndScalesEachAxis) {
  g_reads = 0;
  CDpiScaler scaler(&Reads120By144);
  EXPECT_FALSE(scaler.initialised);
  EXPECT_EQ(scaler.dpiX, 96);
  EXPECT_EQ(scaler.dpiY, 96);
  EXPECT_EQ(g_reads, 0) << "constructing must not read the screen";

  EXPECT_EQ(scaler.ScaleX(14), 18);
  EXPECT_EQ(scaler.ScaleY(14), 21);
  EXPECT_EQ(scaler.ScaleY(400), 600);
  EXPECT_EQ(scaler.ScaleX(600), 750);
  EXPECT_TRUE(scaler.initialised);
  EXPECT_EQ(scaler.dpiX, 120);
  EXPECT_EQ(scaler.dpiY, 144);
  EXPECT_EQ(g_reads, 1);
}

TEST(CDpiScaler, FirstUseThroughEitherAxisReadsBoth) {
  g_reads = 0;
  CDpiScaler scaler(&Reads120By144);
  EXPECT_EQ(scaler.ScaleY(20), 30);
  EXPECT_EQ(scaler.ScaleX(20), 25);
  EXPECT_EQ(g_reads, 1);
}
