#include "controls/check_box.h"

#include "controls/accessible_object.h"
#include "controls/control_behaviour.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CCheckBoxEx, CButton)

BEGIN_MESSAGE_MAP(CCheckBoxEx, CHoverBase)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

CCheckBoxEx::~CCheckBoxEx() = default;

void CCheckBoxEx::SetChecked(bool checked) {
  m_bChecked = checked;
  Invalidate(TRUE);
  NotifyAccessibleStateChange(*this);
}

void CCheckBoxEx::PreSubclassWindow() {
  SwitchToOwnerDraw(*this);
  CButton::PreSubclassWindow();
}

void CCheckBoxEx::SetImage() {
  SetControlImage(*this, IDB_PNG_CHECK_BOX, m_pImage, &CheckBoxControlSize);
}

void CCheckBoxEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC dc(lpDrawItemStruct->hDC);
  dc.SetBkMode(TRANSPARENT);
  const CRect item(lpDrawItemStruct->rcItem);
  if (!m_pImage) return;
  gdip::Graphics graphics(dc.m_hDC);
  graphics.DrawImage(*m_pImage, {0, 0, item.Width(), item.Height()},
                     CheckBoxCell(m_pImage->GetWidth(), m_pImage->GetHeight(), m_nState,
                                  m_bChecked != FALSE));
}

BOOL CCheckBoxEx::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

// A check box named by its caption (never drawn), checked as the owner's flag says.
LRESULT CCheckBoxEx::OnGetObject(WPARAM wParam, LPARAM lParam) {
  return AnswerGetObject(*this, wParam, lParam, [](const CWnd& control) {
    const auto& box = static_cast<const CCheckBoxEx&>(control);
    return AccessibleFacts{AccessibleKind::CheckBox, box.m_bEnabled != FALSE,
                           box.m_bChecked != FALSE};
  });
}
