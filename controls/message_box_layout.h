#pragma once
// Where the message box puts its band, texts and buttons, at the screen's DPI. Portable.
//
// Every size and position is written at 96 DPI: horizontal ones (and font heights and the
// heights the labels are created with) scale with the horizontal DPI, vertical ones with the
// vertical DPI. Labels are as wide as their measured text; buttons take their size from
// their picture, so the caller passes those sizes in.

#include "controls/scaling.h"
#include "framework/pixel_rect.h"

// The buttons' caption font height: the same 22 pixels at every DPI.
inline constexpr int kMessageBoxButtonFontHeight = 22;

class MessageBoxLayout : public DpiScale {
public:
  explicit MessageBoxLayout(ScreenDpi dpi) : DpiScale(dpi) {}

  int Width() const { return H(400); }
  int Height() const { return V(200); }

  // The band across the top of the box: it is painted in the band colour and drags the box.
  // Wider than the box; only its height shows.
  PixelRect Band() const { return {0, 0, H(470), V(44)}; }

  int LabelFont() const { return H(22); }

  // The labels are created at the top-left with a generous width; their heights are the
  // line heights they keep once measured and moved.
  PixelRect TitleAtCreation() const { return {0, 0, H(400), H(25)}; }
  PixelRect Title(int textWidth, int lineHeight) const {
    return {H(20), V(12), textWidth, lineHeight};
  }
  PixelRect MessageAtCreation() const { return {0, 0, H(600), H(20)}; }
  // Centred across the 330 pixels that start 35 in, the division truncating toward zero:
  // a message wider than 330 starts left of 35 and may run past either edge of the box.
  PixelRect Message(int textWidth, int lineHeight) const {
    return {(H(330) - textWidth) / 2 + H(35), V(80), textWidth, lineHeight};
  }

  PixelRect CloseButton(int width, int height) const { return {H(366), V(20), width, height}; }

  // The buttons' top-left corners (they size themselves from their pictures). A yes/no box
  // has "是" on the left and "否" on the right; a notice has its one button on the right.
  PixelRect FirstButton(bool confirm) const {
    return confirm ? PixelRect{H(168), V(150), 0, 0} : SecondButton();
  }
  PixelRect SecondButton() const { return {H(284), V(150), 0, 0}; }
};
