#pragma once
// CImageTextButtonEx: a push button whose face is one frame of a four-state picture strip
// with its caption centred on it, in a colour that follows the state. Clicks reach the
// owner as BN_CLICKED from the platform button.

#include "controls/png_resource.h"
#include "controls/image_frames.h"
#include "controls/hover_control.h"
#include "framework/afxwin.h"

class CImageTextButtonEx : public CHoverControl<CButton> {
  DECLARE_DYNAMIC(CImageTextButtonEx)

public:
  // Takes the caption font height from the screen's horizontal DPI. Creates no window.
  CImageTextButtonEx();
  ~CImageTextButtonEx() override;

  // Loads PNG `nId` and sizes the button to one frame at the screen's DPI, keeping its
  // position and raising it to the top of its siblings. Call after Create. A picture that
  // cannot be found keeps the previous one (if any) and the current size.
  void SetImage(UINT nId);

  // Draws the frame of m_nState and the caption (the window text) over what the context
  // already shows. Without a picture nothing at all is drawn, not even the caption.
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  COLORREF m_crText[4] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                          RGB(255, 255, 255)};  // caption colour per state
  int m_nFontHeight;  // caption font cell height in pixels, read at every paint

protected:
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  // Answers a screen reader (controls/accessible_object.h).
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  Picture m_pImage;
};

// Creates `button` as the parent's child `nID` at `rect`'s top-left corner, gives it picture
// `nImage` (which sizes it), the caption font height `nFontHeight` (0 keeps the default)
// and one caption colour in every state. Returns the size the picture gave it.
CSize CreatePictureButton(CImageTextButtonEx& button, LPCWSTR lpszCaption, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, UINT nImage,
                          int nFontHeight, COLORREF colour);
