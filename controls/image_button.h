#pragma once
// CImageButtonEx: a push button that shows one frame of a four-state picture strip on a
// solid background colour, following the mouse through normal, hover and pressed. Clicks
// reach the owner as BN_CLICKED from the platform button. Its caption is never drawn: it names
// the button for a screen reader.

#include "controls/png_resource.h"
#include "controls/image_frames.h"
#include "controls/hover_control.h"
#include "framework/afxwin.h"

class CImageButtonEx : public CHoverControl<CButton> {
  DECLARE_DYNAMIC(CImageButtonEx)

public:
  CImageButtonEx() : CHoverBase(true) {}
  ~CImageButtonEx() override;

  // Loads PNG `nId` and sizes the button to one frame at the screen's DPI, keeping its
  // position and raising it to the top of its siblings. Call after Create. A picture that
  // cannot be found keeps the previous one (if any) and the current size.
  void SetImage(UINT nId);

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  COLORREF m_crBackground = RGB(255, 255, 255);  // fills the button under the frame

protected:
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  // Answers a screen reader (controls/accessible_object.h).
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  Picture m_pImage;
};
