#include "controls/text_button.h"

#include "controls/button_text.h"
#include "controls/control_behaviour.h"
#include "controls/kit_font.h"
#include "controls/scaling.h"

IMPLEMENT_DYNAMIC(CTextButtonEx, CStatic)

BEGIN_MESSAGE_MAP(CTextButtonEx, CStatic)
  ON_WM_ERASEBKGND()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
  ON_WM_MOUSEHOVER()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
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

CSize CTextButtonEx::MeasureText() {
  CSize size;
  {
    CClientDC dc(this);
    const HGDIOBJ previousFont = m_font.GetSafeHandle() ? dc.SelectObject(m_font) : nullptr;
    size.cx = dc.GetTextExtent(GetWindowText()).cx;
    if (previousFont) dc.SelectObject(previousFont);
  }
  CRect client;
  GetClientRect(&client);
  size.cy = client.Height();
  return size;
}

void CTextButtonEx::OnPaint() {
  CPaintDC dc(this);
  const CString text = GetWindowText();
  const HGDIOBJ previousFont = m_font.GetSafeHandle() ? dc.SelectObject(m_font) : nullptr;
  dc.SetTextColor(TextColourForState(m_crText, m_nState));
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(0, 0, text);
  if (previousFont) dc.SelectObject(previousFont);
}

BOOL CTextButtonEx::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
