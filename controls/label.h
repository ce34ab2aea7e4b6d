#pragma once
// CStaticEx: one line of text in its own colour and font, drawn transparently over what
// the parent painted beneath it. The first label of the process to paint keeps a copy of
// the parent's pixels under itself and puts it back whenever its background is erased.

#include "framework/afxwin.h"
#include "framework/memory_dc.h"

// True until a label has taken the process's one background snapshot. Labels live on the
// UI thread only, so a plain flag is enough. Tests set it again to start afresh.
extern bool g_bSnapshotPending;

class CStaticEx : public CStatic {
  DECLARE_DYNAMIC(CStaticEx)

public:
  // Makes the default font: the kit's face, cell height 20 pixels at any DPI.
  CStaticEx();
  ~CStaticEx() override;

  // Replaces the font by one of cell height `nHeight` pixels (pass a DPI-scaled value).
  // Takes effect at the next paint; nothing is repainted now.
  void SetFontHeight(int nHeight);

  // size.cx: the width of the window text, one line, in the label's font; size.cy: the
  // label's client height as it is now (not the text's), so that an owner can shrink a
  // label to its text and keep the line height it created it with.
  void MeasureText(CSize& size);

  COLORREF m_crText = RGB(60, 60, 60);  // from the next paint on
  int m_nFontHeight = 20;               // the font's cell height; change it with SetFontHeight

protected:
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  DECLARE_MESSAGE_MAP()

private:
  // Whether the parent has no paint pending under this label, so that its pixels there are
  // worth keeping.
  bool ParentPaintedBeneath(const CRect& rectInParent) const;
  void TakeSnapshot(const CDC& paintDC, const CRect& rectInParent);

  CMemoryDC m_dcBackground;  // the snapshot; empty unless this label took it
  CFont m_font;
};

// Creates `label` as the parent's child `nID` over `rect`, whose height is the line height
// it keeps, with text colour `colour` and a font `nFontHeight` pixels high; returns what
// MeasureText then gives (the text's width and that height), from which the owner places it.
CSize CreateLabel(CStaticEx& label, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, COLORREF colour, int nFontHeight);
