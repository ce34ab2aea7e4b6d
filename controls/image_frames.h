#pragma once
// Which part of a button picture is drawn for a state, and how big the control becomes.
// Portable: no Windows headers.

#include "framework/pixel_rect.h"

// Visual states of the button-like controls; also the frame row in their picture strips.
enum ButtonState : int {
  STATE_NORMAL = 0,
  STATE_HOVER = 1,
  STATE_PRESSED = 2,
  STATE_DISABLED = 3,
};

inline constexpr unsigned kStripFrames = 4;

struct ControlSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const ControlSize&, const ControlSize&) = default;
};

// Frame `state`, in image pixels, of a vertical strip of four frames in an image of
// width x height pixels: top (state * height) / 4, height height / 4, full width.
// Divisions truncate.
PixelRect StripFrame(unsigned width, unsigned height, int state);

// Cell of the check-box picture: two such strips side by side, unchecked on the left.
PixelRect CheckBoxCell(unsigned width, unsigned height, int state, bool checked);

// Size of a button showing one frame of a strip at the given DPI: the width scaled, and
// the height scaled first and then divided by four (so 56 px at 120 DPI gives 70 / 4 = 17).
ControlSize StripControlSize(unsigned width, unsigned height, int dpiX, int dpiY);

// Size of the check box: one cell of its two-column grid, each axis scaled, then divided.
ControlSize CheckBoxControlSize(unsigned width, unsigned height, int dpiX, int dpiY);
