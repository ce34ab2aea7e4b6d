#include "controls/text_button.h"

#include "controls/button_text.h"
#include "controls/accessible_object.h"
#include "controls/control_behaviour.h"
#include "controls/kit_font.h"
#include "controls/scaling.h"

IMPLEMENT_DYNAMIC(CTextButtonEx, CStatic)

BEGIN_MESSAGE_MAP(CTextButtonEx, CHoverBase)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_GETOBJECT, OnGetObject)
  ON_WM_PAINT()
END_MESSAGE_MAP()

CTextButtonEx::CTextButtonEx() : m_nFontHeight(ScaleToDpi(kLinkFontHeight, ReadScreenDpi().x)) {
  CreateKitFont(m_font, m_nFontHeight);
}

CTextButtonEx::~CTextButtonEx() = default;

void CTextButtonEx::SetFontHeight(int nHeight) {
  m_nFontHeight = nHeight;
  CreateKitFont(m_font, m_nFontHeight);
}

CSize CTextButtonEx::MeasureText() { return MeasureWindowText(*this, m_font); }

void CTextButtonEx::OnPaint() {
  CPaintDC dc(this);
  const CString text = GetWindowText();
  const CSelectGuard fontSelected(dc, m_font);
  dc.SetTextColor(TextColourForState(m_crText, m_nState));
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(0, 0, text);
}

CSize CreateLink(CTextButtonEx& link, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect,
                 CWnd* pParentWnd, UINT nID, int nFontHeight, const COLORREF (&colours)[4]) {
  link.Create(lpszText, dwStyle, rect, pParentWnd, nID);
  link.SetFontHeight(nFontHeight);
  SetTextColours(link.m_crText, colours);
  return link.MeasureText();
}

BOOL CTextButtonEx::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

// A link named by its text.
LRESULT CTextButtonEx::OnGetObject(WPARAM wParam, LPARAM lParam) {
  return AnswerGetObject(*this, wParam, lParam, [](const CWnd& control) {
    const auto& link = static_cast<const CTextButtonEx&>(control);
    return AccessibleFacts{AccessibleKind::Link, link.m_bEnabled != FALSE};
  });
}
