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
  // A monitor left of the main one, below a top taskbar. The centre and the half size each
  // truncate toward zero before they are subtracted: -960 - 300, 560 - 200.
  const PixelRect leftMonitor = PixelRect::FromEdges(-1921, 40, 0, 1080);
  EXPECT_EQ(CenteredPosition({0, 0, 601, 401}, leftMonitor, leftMonitor),
            (PlacementPoint{-1260, 360}));
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
  // An area that does not start at 0: pulled to its own corner.
  EXPECT_EQ(CenteredPosition({0, 0, 400, 200}, PixelRect::FromEdges(-2500, -500, -2100, -300),
                             PixelRect::FromEdges(-1921, 40, 0, 1080)),
            (PlacementPoint{-1921, 40}));
  // Larger than the area: the left and top edges win.
  EXPECT_EQ(CenteredPosition({0, 0, 2000, 1200}, kWorkArea, kWorkArea), (PlacementPoint{0, 0}));
}
