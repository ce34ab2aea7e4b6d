#pragma once
// The hover and press state machine that the button-like controls share. Portable.

#include <string_view>

enum class MouseEvent { Hover, Leave, LButtonDown, LButtonUp };

// What a control does with one mouse message.
struct MouseReaction {
  bool passOn = false;        // run the default processing (false: the message is swallowed)
  int state = 0;              // the control's visual state afterwards
  bool invalidate = false;    // repaint the whole control, erasing
  std::string_view diagnostic;  // debug line to emit (a literal), or empty
  friend bool operator==(const MouseReaction&, const MouseReaction&) = default;
};

// A disabled control (enabled == 0) swallows every event and keeps the state its owner set,
// so it never passes a press and release on and never reports a click. An enabled one goes
// to hover (1) on hover, back to normal (0) on leave and on release, and to pressed (2) on
// press; it repaints on hover and leave, and on release when `invalidateOnRelease`.
MouseReaction ReactToMouse(MouseEvent event, int enabled, int state, bool invalidateOnRelease);
