#pragma once
// CImageButtonEx: a push button that shows one frame of a four-state picture strip on a
// solid background colour, following the mouse through normal, hover and pressed. Clicks
// reach the owner as BN_CLICKED from the platform button.

#include <memory>

#include "controls/gdiplus_image.h"
#include "controls/image_frames.h"
#include "framework/afxwin.h"

class CImageButtonEx : public CButton {
  DECLARE_DYNAMIC(CImageButtonEx)

public:
  CImageButtonEx() = default;
  ~CImageButtonEx() override;

  // Loads PNG `nId` and sizes the button to one frame at the screen's DPI, keeping its
  // position and raising it to the top of its siblings. Call after Create. A picture that
  // cannot be found keeps the previous one (if any) and the current size.
  void SetImage(UINT nId);

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  int m_nState = STATE_NORMAL;  // 0..3: the frame drawn; 3 is set only by the owner
  BOOL m_bEnabled = TRUE;       // 0: ignore hover, press and release; no click is reported
  COLORREF m_crBackground = RGB(255, 255, 255);  // fills the button under the frame

protected:
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnMouseLeave();
  void OnMouseHover(UINT nFlags, CPoint point);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()

private:
  // Declared first so that it is destroyed last: the image must go before GDI+ shuts down.
  gdip::StartupToken m_gdiplusToken;
  std::unique_ptr<gdip::Image> m_pImage;
};
