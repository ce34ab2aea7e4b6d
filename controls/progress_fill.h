#pragma once
// How much of the progress bar's red fill is shown. Portable: no Windows headers.

#include <cstdint>
#include <optional>

#include "controls/image_frames.h"

// The bar's drawn size: the track picture's size scaled by the DPI of each axis.
ControlSize ProgressBarSize(unsigned trackWidth, unsigned trackHeight, int dpiX, int dpiY);

// The fill picture is cropped, not squeezed: its left `sourceWidth` columns are drawn
// into the bar's left `destWidth` x `destHeight` pixels.
struct FillExtent {
  int sourceWidth = 0;
  int destWidth = 0;
  int destHeight = 0;
  friend bool operator==(const FillExtent&, const FillExtent&) = default;
};

// The fill for position `pos` of the range lower..upper, with a fill picture `fillWidth`
// pixels wide and a bar of barWidth x barHeight pixels. ratio = pos / (upper - lower), the
// difference taken in 64-bit integers; each width is trunc(width x ratio). No fill at
// position 0, nor for a range of no width (upper <= lower), where the ratio has no
// meaning. A position outside 0..(upper - lower) shows an empty or a full bar: the widths
// never leave the picture and the bar.
std::optional<FillExtent> ProgressFill(std::int64_t pos, std::int64_t lower, std::int64_t upper,
                                       unsigned fillWidth, float barWidth, float barHeight);
