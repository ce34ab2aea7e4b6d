#include "controls/button_text.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(TextColourForState, PicksTheColourOfEachState) {
  // The licence link's colours: pale idle, red on hover and press, grey when disabled.
  const std::uint32_t colours[4] = {0xB7B5F0, 0x3F4BE7, 0x3F4BE7, 0x666666};
  EXPECT_EQ(TextColourForState(colours, STATE_NORMAL), 0xB7B5F0u);
  EXPECT_EQ(TextColourForState(colours, STATE_HOVER), 0x3F4BE7u);
  EXPECT_EQ(TextColourForState(colours, STATE_PRESSED), 0x3F4BE7u);
  EXPECT_EQ(TextColourForState(colours, STATE_DISABLED), 0x666666u);
}

TEST(TextColourForState, AStateOutOfRangeGetsTheNormalColour) {
  const std::uint32_t colours[4] = {1, 2, 3, 4};
  EXPECT_EQ(TextColourForState(colours, 4), 1u);
  EXPECT_EQ(TextColourForState(colours, -1), 1u);
}
