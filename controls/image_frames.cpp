#include "controls/image_frames.h"

#include "controls/scaling.h"

PixelRect StripFrame(unsigned width, unsigned height, int state) {
  const unsigned top = static_cast<unsigned>(state) * height / kStripFrames;
  return {0, static_cast<int>(top), static_cast<int>(width),
          static_cast<int>(height / kStripFrames)};
}

PixelRect CheckBoxCell(unsigned width, unsigned height, int state, bool checked) {
  PixelRect cell = StripFrame(width, height, state);
  cell.width = static_cast<int>(width / 2);
  cell.x = checked ? cell.width : 0;
  return cell;
}

ControlSize StripControlSize(unsigned width, unsigned height, int dpiX, int dpiY) {
  const DpiScale scale({dpiX, dpiY});
  return {scale.H(static_cast<int>(width)),
          scale.V(static_cast<int>(height)) / static_cast<int>(kStripFrames)};
}

ControlSize CheckBoxControlSize(unsigned width, unsigned height, int dpiX, int dpiY) {
  const DpiScale scale({dpiX, dpiY});
  return {scale.H(static_cast<int>(width)) / 2,
          scale.V(static_cast<int>(height)) / static_cast<int>(kStripFrames)};
}
