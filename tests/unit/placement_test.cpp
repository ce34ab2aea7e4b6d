#include "framework/placement.h"

#include <gtest/gtest.h>

namespace {
const PixelRect kWorkArea{0, 0, 1920, 1040};
}

TEST(CenteredPosition, CentresInTheWorkAreaWithoutAnOwner) {
  EXPECT_EQ(CenteredPosition({0, 0, 600, 400}, kWorkArea, kWorkArea), (PlacementPoint{660, 320}));
  EXPECT_EQ(CenteredPosition({0, 0, 900, 600}, kWorkArea, kWorkArea), (PlacementPoint{510, 220}));
  // Odd sizes: both halves truncate.
  EXPECT_EQ(CenteredPosition({0, 0, 601, 401}, {0, 0, 1001, 801}, {0, 0, 1001, 801}),
            (PlacementPoint{200, 200}));
}

TEST(CenteredPosition, CentresOverTheOwner) {
  // A 400 x 200 box over a 600 x 400 window sits 100 in from its left and top.
  EXPECT_EQ(CenteredPosition(PixelRect::FromEdges(5, 5, 405, 205), PixelRect::FromEdges(660, 320, 1260, 720), kWorkArea),
            (PlacementPoint{760, 420}));
}

TEST(CenteredPosition, StaysInsideTheWorkArea) {
  // Owner near the right and bottom edges: pushed back inside.
  EXPECT_EQ(CenteredPosition({0, 0, 400, 200}, PixelRect::FromEdges(1700, 950, 2100, 1150), kWorkArea),
            (PlacementPoint{1520, 840}));
  // Owner off the top-left: pulled to the area's corner.
  EXPECT_EQ(CenteredPosition({0, 0, 400, 200}, PixelRect::FromEdges(-500, -500, -100, -300), kWorkArea),
            (PlacementPoint{0, 0}));
  // Larger than the area: the left and top edges win.
  EXPECT_EQ(CenteredPosition({0, 0, 2000, 1200}, kWorkArea, kWorkArea), (PlacementPoint{0, 0}));
}
