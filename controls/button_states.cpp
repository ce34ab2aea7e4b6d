#include "controls/button_states.h"

#include "controls/image_frames.h"

MouseReaction ReactToMouse(MouseEvent event, int enabled, int state, bool invalidateOnRelease) {
  if (!enabled) return {false, state, false, {}};
  switch (event) {
    case MouseEvent::Hover:
      return {true, STATE_HOVER, true, "OnMouseHover"};
    case MouseEvent::Leave:
      return {true, STATE_NORMAL, true, "OnMouseLeave"};
    case MouseEvent::LButtonDown:
      return {true, STATE_PRESSED, false, {}};
    case MouseEvent::LButtonUp:
      return {true, STATE_NORMAL, invalidateOnRelease, {}};
  }
  return {false, state, false, {}};
}
