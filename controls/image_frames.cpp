#include "controls/image_frames.h"

#include "controls/scaling.h"

SourceRect StripFrame(unsigned width, unsigned height, int state) {
  const unsigned top = static_cast<unsigned>(state) * height / kStripFrames;
  return {0, static_cast<int>(top), static_cast<int>(width),
          static_cast<int>(height / kStripFrames)};
}

SourceRect CheckBoxCell(unsigned width, unsigned height, int state, bool checked) {
  SourceRect cell = StripFrame(width, height, state);
  cell.width = static_cast<int>(width / 2);
  cell.x = checked ? cell.width : 0;
  return cell;
}

ControlSize StripControlSize(unsigned width, unsigned height, int dpiX, int dpiY) {
  return {ScaleToDpi(static_cast<int>(width), dpiX),
          ScaleToDpi(static_cast<int>(height), dpiY) / static_cast<int>(kStripFrames)};
}

ControlSize CheckBoxControlSize(unsigned width, unsigned height, int dpiX, int dpiY) {
  return {ScaleToDpi(static_cast<int>(width), dpiX) / 2,
          ScaleToDpi(static_cast<int>(height), dpiY) / static_cast<int>(kStripFrames)};
}
