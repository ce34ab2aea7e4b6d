#include "controls/image_text_button.h"

#include "controls/button_text.h"
#include "controls/accessible_object.h"
#include "controls/control_behaviour.h"
#include "controls/kit_font.h"
#include "controls/scaling.h"

IMPLEMENT_DYNAMIC(CImageTextButtonEx, CButton)

BEGIN_MESSAGE_MAP(CImageTextButtonEx, CHoverBase)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

CImageTextButtonEx::CImageTextButtonEx()
    : m_nFontHeight(ScaleToDpi(kCaptionFontHeight, ReadScreenDpi().x)) {}

CImageTextButtonEx::~CImageTextButtonEx() = default;

void CImageTextButtonEx::PreSubclassWindow() {
  SwitchToOwnerDraw(*this);
  CButton::PreSubclassWindow();
}

void CImageTextButtonEx::SetImage(UINT nId) {
  SetControlImage(*this, nId, m_pImage, &StripControlSize);
}

void CImageTextButtonEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC dc(lpDrawItemStruct->hDC);
  dc.SetBkMode(TRANSPARENT);
  CRect item(lpDrawItemStruct->rcItem);
  if (!m_pImage) return;
  {
    // Ended before the caption is drawn, so that GDI+ has put the frame on the context.
    gdip::Graphics graphics(dc.m_hDC);
    graphics.DrawImage(*m_pImage, {0, 0, item.Width(), item.Height()},
                       StripFrame(m_pImage->GetWidth(), m_pImage->GetHeight(), m_nState));
  }

  // Made afresh for every paint, so a new m_nFontHeight shows at the next repaint.
  CFont font;
  CreateKitFont(font, m_nFontHeight);
  const CString caption = GetWindowText();
  const CSelectGuard fontSelected(dc, font);
  dc.SetTextColor(TextColourForState(m_crText, m_nState));
  dc.SetBkMode(TRANSPARENT);
  dc.DrawText(caption, &item, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

CSize CreatePictureButton(CImageTextButtonEx& button, LPCWSTR lpszCaption, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, UINT nImage,
                          int nFontHeight, COLORREF colour) {
  button.Create(lpszCaption, dwStyle, rect, pParentWnd, nID);
  button.SetImage(nImage);
  if (nFontHeight) button.m_nFontHeight = nFontHeight;
  SetTextColours(button.m_crText, colour);
  CRect client;
  button.GetClientRect(&client);
  return {client.Width(), client.Height()};
}

BOOL CImageTextButtonEx::OnEraseBkgnd(CDC*) { return TRUE; }

// A push button named by its caption.
LRESULT CImageTextButtonEx::OnGetObject(WPARAM wParam, LPARAM lParam) {
  return AnswerGetObject(*this, wParam, lParam, [](const CWnd& control) {
    const auto& button = static_cast<const CImageTextButtonEx&>(control);
    return AccessibleFacts{AccessibleKind::PushButton, button.m_bEnabled != FALSE};
  });
}
