#include "controls/label.h"

#include "controls/kit_font.h"

bool g_bSnapshotPending = true;

IMPLEMENT_DYNAMIC(CStaticEx, CStatic)

BEGIN_MESSAGE_MAP(CStaticEx, CStatic)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CStaticEx::CStaticEx() { CreateKitFont(m_font, m_nFontHeight); }

CStaticEx::~CStaticEx() = default;

void CStaticEx::SetFontHeight(int nHeight) {
  m_nFontHeight = nHeight;
  CreateKitFont(m_font, m_nFontHeight);
}

void CStaticEx::MeasureText(CSize& size) { size = MeasureWindowText(*this, m_font); }

void CStaticEx::OnPaint() {
  const HWND parent = ::GetParent(m_hWnd);
  CRect rect;
  GetWindowRect(&rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  // Asked before BeginPaint, which takes this label's area out of the parent's pending paint.
  const bool parentPainted = ParentPaintedBeneath(rect);

  CPaintDC dc(this);
  if (g_bSnapshotPending) {
    if (parentPainted) {
      g_bSnapshotPending = false;
      TakeSnapshot(dc, rect);
    } else {
      // This label paints ahead of its parent, whose pixels here are not yet drawn: have
      // the parent paint here again, and this label after it, and keep that instead.
      ::InvalidateRect(parent, &rect, TRUE);
    }
  }

  const CSelectGuard fontSelected(dc, m_font);
  dc.SetTextColor(m_crText);
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(0, 0, GetWindowText());
}

bool CStaticEx::ParentPaintedBeneath(const CRect& rectInParent) const {
  RECT pending{};
  RECT overlap{};
  return !::GetUpdateRect(::GetParent(m_hWnd), &pending, FALSE) ||
         !::IntersectRect(&overlap, &pending, &rectInParent);
}

void CStaticEx::TakeSnapshot(const CDC& paintDC, const CRect& rectInParent) {
  const HWND parent = ::GetParent(m_hWnd);
  const HDC parentDC = ::GetDC(parent);
  if (m_dcBackground.Create(paintDC, rectInParent.Width(), rectInParent.Height())) {
    ::StretchBlt(m_dcBackground.m_hDC, 0, 0, rectInParent.Width(), rectInParent.Height(),
                 parentDC, rectInParent.left, rectInParent.top, rectInParent.Width(),
                 rectInParent.Height(), SRCCOPY);
  }
  ::ReleaseDC(parent, parentDC);
}

CSize CreateLabel(CStaticEx& label, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, COLORREF colour, int nFontHeight) {
  label.Create(lpszText, dwStyle, rect, pParentWnd, nID);
  label.m_crText = colour;
  label.SetFontHeight(nFontHeight);
  CSize size;
  label.MeasureText(size);
  return size;
}

BOOL CStaticEx::OnEraseBkgnd(CDC* pDC) {
  if (m_dcBackground.m_hDC) {
    CRect client;
    GetClientRect(&client);
    pDC->BitBlt(0, 0, client.Width(), client.Height(), &m_dcBackground, 0, 0, SRCCOPY);
  }
  return FALSE;
}
