#include "controls/image_button.h"

#include "controls/accessible_object.h"
#include "controls/control_behaviour.h"

IMPLEMENT_DYNAMIC(CImageButtonEx, CButton)

BEGIN_MESSAGE_MAP(CImageButtonEx, CHoverBase)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

CImageButtonEx::~CImageButtonEx() = default;

void CImageButtonEx::PreSubclassWindow() {
  SwitchToOwnerDraw(*this);
  CButton::PreSubclassWindow();
}

void CImageButtonEx::SetImage(UINT nId) {
  SetControlImage(*this, nId, m_pImage, &StripControlSize);
}

void CImageButtonEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC dc(lpDrawItemStruct->hDC);
  const CRect item(lpDrawItemStruct->rcItem);
  dc.FillSolidRect(item, m_crBackground);
  if (!m_pImage) return;
  gdip::Graphics graphics(dc.m_hDC);
  graphics.DrawImage(*m_pImage, {0, 0, item.Width(), item.Height()},
                     StripFrame(m_pImage->GetWidth(), m_pImage->GetHeight(), m_nState));
}

BOOL CImageButtonEx::OnEraseBkgnd(CDC*) { return TRUE; }

// A push button named by its caption, which is never drawn.
LRESULT CImageButtonEx::OnGetObject(WPARAM wParam, LPARAM lParam) {
  return AnswerGetObject(*this, wParam, lParam, [](const CWnd& control) {
    const auto& button = static_cast<const CImageButtonEx&>(control);
    return AccessibleFacts{AccessibleKind::PushButton, button.m_bEnabled != FALSE};
  });
}
