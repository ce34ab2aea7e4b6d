#include "controls/message_box_layout.h"

#include <gtest/gtest.h>

namespace {
const MessageBoxLayout at96({96, 96});
const MessageBoxLayout at120({120, 120});
const MessageBoxLayout at144({144, 144});
// Each axis at its own DPI: a value scaled by the wrong one shows.
const MessageBoxLayout wide({144, 96});
}  // namespace

TEST(MessageBoxLayout, BoxAndBandAtEachDpi) {
  EXPECT_EQ(at96.Width(), 400);
  EXPECT_EQ(at96.Height(), 200);
  EXPECT_EQ(at96.Band(), (PixelRect{0, 0, 470, 44}));
  EXPECT_EQ(at120.Width(), 500);
  EXPECT_EQ(at120.Height(), 250);
  EXPECT_EQ(at120.Band(), (PixelRect{0, 0, 588, 55}));  // 587.5 rounds up
  EXPECT_EQ(at144.Width(), 600);
  EXPECT_EQ(at144.Height(), 300);
  EXPECT_EQ(at144.Band(), (PixelRect{0, 0, 705, 66}));
  // Each axis follows its own DPI.
  EXPECT_EQ((MessageBoxLayout({144, 96}).Band()), (PixelRect{0, 0, 705, 44}));
  EXPECT_EQ(wide.Width(), 600);
  EXPECT_EQ(wide.Height(), 200);
}

TEST(MessageBoxLayout, OnlyPressesInTheTopBandDrag) {
  const PixelRect band = at96.Band();
  EXPECT_TRUE(band.Contains(0, 0));
  EXPECT_TRUE(band.Contains(399, 43));
  EXPECT_TRUE(band.Contains(469, 10)) << "the band runs past the 400-pixel box";
  EXPECT_FALSE(band.Contains(10, 44)) << "the bottom edge is exclusive";
  EXPECT_FALSE(band.Contains(470, 10));
  EXPECT_FALSE(band.Contains(-1, 10));
  EXPECT_FALSE(band.Contains(200, 150));
  EXPECT_TRUE(at144.Band().Contains(10, 65));
  EXPECT_FALSE(at144.Band().Contains(10, 66));
}

TEST(MessageBoxLayout, TitleAndCloseButtonSitInTheBand) {
  EXPECT_EQ(at96.TitleAtCreation(), (PixelRect{0, 0, 400, 25}));
  EXPECT_EQ(at96.Title(44, 25), (PixelRect{20, 12, 44, 25}));
  EXPECT_EQ(at120.TitleAtCreation(), (PixelRect{0, 0, 500, 31}));  // 31.25
  EXPECT_EQ(at120.Title(55, 31), (PixelRect{25, 15, 55, 31}));
  EXPECT_EQ(at144.TitleAtCreation(), (PixelRect{0, 0, 600, 38}));  // 37.5 rounds up
  EXPECT_EQ(at144.Title(66, 38), (PixelRect{30, 18, 66, 38}));
  // The title's line height follows the horizontal DPI, its place the vertical one.
  EXPECT_EQ((MessageBoxLayout({144, 96}).TitleAtCreation().height), 38);
  EXPECT_EQ((MessageBoxLayout({144, 96}).Title(66, 38).y), 12);

  EXPECT_EQ(at96.CloseButton(14, 14), (PixelRect{366, 20, 14, 14}));
  EXPECT_EQ(at120.CloseButton(18, 17), (PixelRect{458, 25, 18, 17}));  // 457.5 rounds up
  EXPECT_EQ(at144.CloseButton(21, 21), (PixelRect{549, 30, 21, 21}));
  EXPECT_EQ(wide.CloseButton(21, 14), (PixelRect{549, 20, 21, 14}));

  EXPECT_EQ(at96.LabelFont(), 22);
  EXPECT_EQ(at120.LabelFont(), 28);  // 27.5 rounds up
  EXPECT_EQ(at144.LabelFont(), 33);
  EXPECT_EQ(kMessageBoxButtonFontHeight, 22);
}

TEST(MessageBoxLayout, MessageIsCentredOverTheTextAreaWithTruncatingDivision) {
  EXPECT_EQ(at96.MessageAtCreation(), (PixelRect{0, 0, 600, 20}));
  EXPECT_EQ(at96.Message(100, 20), (PixelRect{150, 80, 100, 20}));
  EXPECT_EQ(at96.Message(101, 20).x, 149);  // 114.5 truncates
  EXPECT_EQ(at120.MessageAtCreation(), (PixelRect{0, 0, 750, 25}));
  EXPECT_EQ(at120.Message(101, 25), (PixelRect{200, 100, 101, 25}));  // 413 wide, 44 in
  EXPECT_EQ(at144.Message(150, 30), (PixelRect{225, 120, 150, 30}));  // 495 wide, 53 in
  EXPECT_EQ(wide.Message(150, 30), (PixelRect{225, 80, 150, 30}));

  // Wider than the text area: starts left of it, truncating toward zero, not down.
  EXPECT_EQ(at96.Message(400, 20).x, 0);
  EXPECT_EQ(at96.Message(401, 20).x, 0);
  EXPECT_EQ(at96.Message(403, 20).x, -1);
  EXPECT_EQ(at96.Message(399, 20).x, 1) << "-34 + 35: the half is taken before the margin is added";
  EXPECT_EQ(at96.Message(500, 20).x, -50) << "runs past both edges of the box";
}

TEST(MessageBoxLayout, NoticeButtonTakesTheRightHandPlace) {
  EXPECT_EQ(at96.FirstButton(true), (PixelRect{168, 150, 0, 0}));
  EXPECT_EQ(at96.SecondButton(), (PixelRect{284, 150, 0, 0}));
  EXPECT_EQ(at96.FirstButton(false), at96.SecondButton());

  EXPECT_EQ(at120.FirstButton(true), (PixelRect{210, 188, 0, 0}));  // 187.5 rounds up
  EXPECT_EQ(at120.SecondButton(), (PixelRect{355, 188, 0, 0}));
  EXPECT_EQ(at144.FirstButton(true), (PixelRect{252, 225, 0, 0}));
  EXPECT_EQ(at144.FirstButton(false), (PixelRect{426, 225, 0, 0}));
  EXPECT_EQ(wide.SecondButton(), (PixelRect{426, 150, 0, 0}));
}
