#pragma once
// CTextButtonEx: a clickable line of text, a link without an underline. It paints the
// window text in its own font, in a colour that follows the hover and press state, with no
// background. It is a static control with SS_NOTIFY, so a click reaches the owner as
// WM_COMMAND with STN_CLICKED, which has the value of BN_CLICKED (ON_BN_CLICKED catches it).

#include "controls/image_frames.h"
#include "controls/hover_control.h"
#include "framework/afxwin.h"

class CTextButtonEx : public CHoverControl<CStatic> {
  DECLARE_DYNAMIC(CTextButtonEx)

public:
  // Creates the font at 14 pixels scaled by the screen's horizontal DPI. Creates no window.
  CTextButtonEx();
  ~CTextButtonEx() override;

  // Replaces the font by one whose cell is `nHeight` pixels high; the old font is released.
  // Takes effect at the next paint; nothing is repainted here.
  void SetFontHeight(int nHeight);
  int GetFontHeight() const noexcept { return m_nFontHeight; }

  // The width of the window text on one line in the button's font, and the current height
  // of the client area (not the text's): the owner shrinks the button to its text with it.
  CSize MeasureText();

  COLORREF m_crText[4] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                          RGB(255, 255, 255)};  // text colour per state

protected:
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnPaint();
  // Answers a screen reader (controls/accessible_object.h).
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  int m_nFontHeight;
  CFont m_font;  // none when creation failed: the context's current font is used instead
};

// Creates `link` as the parent's child `nID` over `rect`, whose height is the one it keeps,
// with a font `nFontHeight` pixels high and a text colour per visual state; returns what
// MeasureText then gives, from which the owner places it.
CSize CreateLink(CTextButtonEx& link, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                 CWnd* pParentWnd, UINT nID, int nFontHeight, const COLORREF (&colours)[4]);
