#pragma once
// Where the installer window puts each control, at the screen's DPI. Portable.
//
// Every size and position is written at 96 DPI: horizontal ones (and font heights and the
// heights of text controls) scale with the horizontal DPI, vertical ones with the vertical
// DPI. Text controls are as wide as their measured text; controls in a row start from the
// right edge of the one before, so the caller passes those edges in as the window has them.

#include "controls/scaling.h"
#include "framework/pixel_rect.h"

class InstallerLayout : public DpiScale {
public:
  explicit InstallerLayout(ScreenDpi dpi) : DpiScale(dpi) {}

  // The window: the background picture's size, scaled.
  PixelRect Window(int pictureWidth, int pictureHeight) const {
    return {0, 0, H(pictureWidth), V(pictureHeight)};
  }

  // Heights a text control is created with (and keeps: measuring returns its client height).
  int TitleHeight() const { return H(25); }
  int LinkRowHeight() const { return H(17); }
  int TextHeight() const { return H(20); }
  int FinishedHeight() const { return H(40); }

  // Font heights of the text controls.
  int TitleFont() const { return H(22); }
  int LinkRowFont() const { return H(17); }
  int TextFont() const { return H(20); }
  int FinishedFont() const { return H(40); }
  int ChangeButtonFont() const { return H(20); }

  // Ready screen.
  PixelRect CloseButton(int width, int height) const { return {H(566), V(20), width, height}; }
  PixelRect Title(int textWidth) const { return Centred(textWidth, V(137), TitleHeight()); }
  PixelRect InstallButton(int width, int height) const { return {H(220), V(210), width, height}; }
  PixelRect AgreeCheckBox(int width, int height) const { return {H(20), V(280), width, height}; }
  PixelRect AgreeLabel(int textWidth) const { return {H(44), V(279), textWidth, LinkRowHeight()}; }
  PixelRect LicenseLink(int agreeLabelRight, int textWidth) const {
    return {agreeLabelRight + H(3), V(279), textWidth, LinkRowHeight()};
  }
  PixelRect InstallToLabel(int textWidth) const { return {H(20), V(345), textWidth, TextHeight()}; }
  // The folder field is first placed here (its height scaled horizontally, as set up), then
  // moved to FolderField, right of the "install to" label.
  PixelRect FolderFieldAtCreation() const { return {H(76), V(338), H(414), H(32)}; }
  PixelRect FolderField(int installToLabelRight) const {
    return {installToLabelRight + H(5), V(338), H(414), V(32)};
  }
  PixelRect ChangeButtonAtCreation() const { return {H(496), V(338), 0, 0}; }
  PixelRect ChangeButton(int folderFieldRight, int width, int height) const {
    return {folderFieldRight + H(5), V(338), width, height};
  }

  // Installing and Failed screens.
  PixelRect ProgressBar(int width, int height) const { return {H(40), V(364), width, height}; }
  PixelRect SmallTitle(int textWidth) const { return {H(54), V(20), textWidth, TextHeight()}; }
  // Feature blurb 0..3, one under the other.
  PixelRect Feature(int index, int textWidth) const {
    return {H(78), V(89 + 36 * index), textWidth, TextHeight()};
  }
  PixelRect Installing(int textWidth) const { return {H(40), V(334), textWidth, TextHeight()}; }
  PixelRect Failed(int textWidth) const { return {H(40), V(334), textWidth, TextHeight()}; }
  PixelRect RetryLink(int failedRight, int textWidth) const {
    return {failedRight + H(2), V(334), textWidth, TextHeight()};
  }
  PixelRect WebDownloadLink(int retryRight, int textWidth) const {
    return {retryRight + H(2), V(334), textWidth, TextHeight()};
  }

  // Finished screen.
  PixelRect Finished(int textWidth) const { return Centred(textWidth, V(170), FinishedHeight()); }
  PixelRect Slogan(int textWidth) const { return Centred(textWidth, V(210), TextHeight()); }
  PixelRect RunButton(int width, int height) const { return {H(220), V(334), width, height}; }

private:
  // Centred across the 600-pixel design width; the division truncates toward zero.
  PixelRect Centred(int width, int y, int height) const {
    return {(H(600) - width) / 2, y, width, height};
  }
};
