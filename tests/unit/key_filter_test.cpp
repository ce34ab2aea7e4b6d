#include "installer/key_filter.h"

#include <gtest/gtest.h>

TEST(KeyFilter, EscapeAndEnterAreDroppedWhereverTheFocusIs) {
  for (bool inTextField : {false, true}) {
    EXPECT_TRUE(DropsKeyPress(kKeyEscape, inTextField));
    EXPECT_TRUE(DropsKeyPress(kKeyReturn, inTextField));
  }
}

TEST(KeyFilter, SpaceIsDroppedEverywhereButInTheTextField) {
  EXPECT_TRUE(DropsKeyPress(kKeySpace, false));
  EXPECT_FALSE(DropsKeyPress(kKeySpace, true));
}

TEST(KeyFilter, EveryOtherKeyPasses) {
  for (unsigned key : {0x08u /* Backspace */, 0x09u /* Tab */, 0x41u /* A */, 0x73u /* F4 */,
                       0x25u /* Left */}) {
    EXPECT_FALSE(DropsKeyPress(key, false));
    EXPECT_FALSE(DropsKeyPress(key, true));
  }
}
