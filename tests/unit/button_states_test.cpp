#include "controls/button_states.h"

#include <gtest/gtest.h>

#include "controls/image_frames.h"

TEST(ReactToMouse, EnabledControlFollowsHoverPressReleaseLeave) {
  EXPECT_EQ(ReactToMouse(MouseEvent::Hover, 1, STATE_NORMAL, true),
            (MouseReaction{true, STATE_HOVER, true, "OnMouseHover"}));
  EXPECT_EQ(ReactToMouse(MouseEvent::LButtonDown, 1, STATE_HOVER, true),
            (MouseReaction{true, STATE_PRESSED, false, {}}));
  // Release returns to normal even with the pointer still on the control.
  EXPECT_EQ(ReactToMouse(MouseEvent::LButtonUp, 1, STATE_PRESSED, true),
            (MouseReaction{true, STATE_NORMAL, true, {}}));
  EXPECT_EQ(ReactToMouse(MouseEvent::LButtonUp, 1, STATE_PRESSED, false),
            (MouseReaction{true, STATE_NORMAL, false, {}}));
  EXPECT_EQ(ReactToMouse(MouseEvent::Leave, 1, STATE_HOVER, false),
            (MouseReaction{true, STATE_NORMAL, true, "OnMouseLeave"}));
}

TEST(ReactToMouse, DisabledControlSwallowsEverythingAndKeepsTheOwnersState) {
  for (MouseEvent event : {MouseEvent::Hover, MouseEvent::Leave, MouseEvent::LButtonDown,
                           MouseEvent::LButtonUp}) {
    EXPECT_EQ(ReactToMouse(event, 0, STATE_DISABLED, true),
              (MouseReaction{false, STATE_DISABLED, false, {}}));
  }
  // Any non-zero value enables, as a BOOL does.
  EXPECT_TRUE(ReactToMouse(MouseEvent::LButtonDown, -1, STATE_NORMAL, true).passOn);
}
