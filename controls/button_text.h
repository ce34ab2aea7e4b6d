#pragma once
// How the button-like controls show their text. Portable: no Windows headers.

#include <algorithm>
#include <cstddef>

#include "controls/image_frames.h"

// Caption font height of the image-and-text button at 96 DPI, scaled by the horizontal DPI.
inline constexpr int kCaptionFontHeight = 28;
// Font height of the text button (link) at 96 DPI, scaled by the horizontal DPI.
inline constexpr int kLinkFontHeight = 14;

// The text colour for visual state `state` out of one colour per state (normal, hover,
// pressed, disabled). A state outside 0..3 is an owner's mistake; it gets the normal colour
// rather than a read past the end of the table.
template <class Colour, std::size_t N>
  requires(N == kStripFrames)
Colour TextColourForState(const Colour (&colours)[N], int state) {
  return colours[state >= STATE_NORMAL && state <= STATE_DISABLED ? state : STATE_NORMAL];
}

// Sets a control's text colour for each visual state (normal, hover, pressed, disabled).
template <class Colour, std::size_t N>
  requires(N == kStripFrames)
void SetTextColours(Colour (&colours)[N], const Colour (&perState)[N]) {
  std::copy(perState, perState + N, colours);
}

// Gives every visual state of a control the same text colour.
template <class Colour, std::size_t N>
  requires(N == kStripFrames)
void SetTextColours(Colour (&colours)[N], Colour colour) {
  std::fill(colours, colours + N, colour);
}
