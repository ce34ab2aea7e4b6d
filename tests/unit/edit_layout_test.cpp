#include "controls/edit_layout.h"

#include <gtest/gtest.h>

TEST(PlaceInnerField, InsetsTheFieldAndFitsTheFontToIt) {
  // The installer's folder field: a 414 x 32 frame at 96 DPI, 621 x 48 at 144 DPI.
  EXPECT_EQ(PlaceInnerField(414, 32, 96, 96), (InnerField{PixelRect::FromEdges(5, 5, 409, 27), 22}));
  EXPECT_EQ(PlaceInnerField(621, 48, 144, 144), (InnerField{PixelRect::FromEdges(8, 8, 613, 40), 32}));
  // Each axis follows its own DPI; 5 at 120 DPI is 6.25, rounded to 6.
  EXPECT_EQ(PlaceInnerField(400, 40, 144, 120), (InnerField{PixelRect::FromEdges(8, 6, 392, 34), 28}));
}

TEST(PlaceInnerField, AFrameSmallerThanItsInsetsGivesAnEmptyField) {
  EXPECT_EQ(PlaceInnerField(6, 8, 96, 96), (InnerField{PixelRect::FromEdges(5, 5, 5, 5), 0}));
  EXPECT_EQ(PlaceInnerField(0, 0, 144, 144), (InnerField{PixelRect::FromEdges(8, 8, 8, 8), 0}));
}
