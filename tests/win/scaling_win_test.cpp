#include "controls/scaling.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// The logical DPI the harness gave this run's prefix.
int HarnessDpi() {
  const char* dpi = std::getenv("INKVANE_DPI");
  return dpi ? std::atoi(dpi) : 96;
}
}  // namespace

TEST(ScreenDpi, IsTheLogicalDpiOfThisRun) {
  const ScreenDpi dpi = ReadScreenDpi();
  EXPECT_EQ(dpi.x, HarnessDpi());
  EXPECT_EQ(dpi.y, HarnessDpi());
}

TEST(ScreenDpi, CDpiScalerReadsItOnFirstUse) {
  CDpiScaler scaler;
  EXPECT_EQ(scaler.ScaleX(600), 600 * HarnessDpi() / 96);
  EXPECT_EQ(scaler.ScaleY(400), 400 * HarnessDpi() / 96);
  EXPECT_TRUE(scaler.initialised);
  EXPECT_EQ(scaler.dpiX, HarnessDpi());
  EXPECT_EQ(scaler.dpiY, HarnessDpi());
}

TEST(MulDivRound, AgreesWithThePlatformMulDiv) {
  const int values[] = {-1001, -70, -17, -14, -1, 0, 1, 7, 14, 17, 25, 28, 70, 137, 566, 1001};
  const int dpis[] = {72, 96, 120, 144, 168, 192, 240, 288};
  for (int value : values) {
    for (int dpi : dpis) {
      for (int divisor : {96, -96, 3, 7}) {
        EXPECT_EQ(MulDivRound(value, dpi, divisor), ::MulDiv(value, dpi, divisor))
            << value << " * " << dpi << " / " << divisor;
      }
    }
  }
  EXPECT_EQ(MulDivRound(5, 5, 0), ::MulDiv(5, 5, 0));
  EXPECT_EQ(MulDivRound(0x7FFFFFFF, 2, 1), ::MulDiv(0x7FFFFFFF, 2, 1));
}
