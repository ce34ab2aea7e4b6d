#include "controls/edit_box.h"

#include <cwchar>

#include "controls/accessible_object.h"
#include "controls/edit_layout.h"
#include "controls/kit_font.h"
#include "controls/scaling.h"

namespace {
// No border: the frame is the border.
constexpr DWORD kFieldStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
static_assert(kFieldStyle == 0x50000080);
constexpr UINT kFieldId = 1;
}  // namespace

IMPLEMENT_DYNAMIC(CCustomDrawEdit, CEdit)

// WM_PAINT and WM_NCPAINT are left to the edit control.
BEGIN_MESSAGE_MAP(CCustomDrawEdit, CEdit)
  ON_WM_CTLCOLOR_REFLECT()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

CCustomDrawEdit::CCustomDrawEdit() : m_brBackground(m_crBackground) {}

CCustomDrawEdit::~CCustomDrawEdit() = default;

void CCustomDrawEdit::SetBackgroundColour(COLORREF colour) {
  m_crBackground = colour;
  m_brBackground.CreateSolidBrush(colour);
}

HBRUSH CCustomDrawEdit::CtlColor(CDC* pDC, UINT) {
  pDC->SetTextColor(m_crText);
  pDC->SetBkColor(m_crBackground);
  return m_brBackground;
}

BOOL CCustomDrawEdit::OnEraseBkgnd(CDC*) { return TRUE; }

LRESULT CCustomDrawEdit::OnGetObject(WPARAM wParam, LPARAM lParam) {
  return AnswerGetObject(*this, wParam, lParam, [](const CWnd& field) {
    const bool secret = ::SendMessageW(field.m_hWnd, EM_GETPASSWORDCHAR, 0, 0) != 0;
    return AccessibleFacts{AccessibleKind::TextField, true, false, secret};
  });
}

IMPLEMENT_DYNAMIC(CEditEx, CStatic)

// The field's WM_CTLCOLOR* requests come to the frame, its parent; the frame maps none of
// them, so the framework reflects each one back to the field's CtlColor. Its change
// notifications keep the stored text in step with the field.
BEGIN_MESSAGE_MAP(CEditEx, CStatic)
  ON_WM_ERASEBKGND()
  ON_WM_NCPAINT()
  ON_CONTROL(EN_CHANGE, kFieldId, OnFieldChange)
END_MESSAGE_MAP()

CEditEx::CEditEx() : m_brFill(m_crFill) {}

CEditEx::~CEditEx() { DestroyWindow(); }

void CEditEx::PreSubclassWindow() {
  ModifyStyle(0, SS_OWNERDRAW | SS_NOTIFY);
  CStatic::PreSubclassWindow();
}

void CEditEx::SetBackgroundWhite() {
  m_crFill = RGB(255, 255, 255);
  m_brFill.CreateSolidBrush(m_crFill);
  if (m_edit.m_hWnd) {
    m_edit.SetBackgroundColour(m_crFill);
    m_edit.Invalidate(TRUE);
  }
  // A null window would mean every window on the screen.
  if (m_hWnd) Invalidate(TRUE);
}

void CEditEx::SetText(const CString& strText) {
  m_strText = strText;
  if (m_hWnd) Invalidate(TRUE);
}

void CEditEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC dc(lpDrawItemStruct->hDC);
  const CRect item(lpDrawItemStruct->rcItem);
  {
    const CPen pen(PS_SOLID, 1, m_crBorder);
    const CSelectGuard penSelected(dc, pen);
    const CSelectGuard brushSelected(dc, m_brFill);
    ::RoundRect(dc.m_hDC, item.left, item.top, item.right, item.bottom, m_nCornerRadius,
                m_nCornerRadius);
  }

  if (!m_edit.m_hWnd) {
    CreateField();
  } else {
    ApplyToField();
  }
}

void CEditEx::CreateField() {
  CRect client;
  GetClientRect(&client);
  const ScreenDpi dpi = ReadScreenDpi();
  const InnerField field = PlaceInnerField(client.Width(), client.Height(), dpi.x, dpi.y);
  // On failure the next draw tries again.
  if (!m_edit.Create(kFieldStyle, CRect(field.rect), this, kFieldId)) return;

  LOGFONTW logFont{};
  logFont.lfHeight = field.fontHeight;
  std::wcsncpy(logFont.lfFaceName, kKitFaceName, LF_FACESIZE - 1);
  m_fontField.CreateFontIndirect(&logFont);
  m_edit.SetFont(m_fontField, TRUE);
  if (m_bPassword) m_edit.SetPasswordChar(L'*');
  PutTextIntoField();
  m_edit.SetBackgroundColour(m_crFill);
  m_edit.Invalidate(TRUE);
  m_edit.ShowWindow(SW_SHOW);
  if (m_bDisabled) m_edit.EnableWindow(FALSE);
}

void CEditEx::ApplyToField() {
  if (m_bDisabled) {
    m_edit.EnableWindow(FALSE);
  } else {
    m_edit.ShowWindow(SW_SHOW);
    m_edit.EnableWindow(TRUE);
  }
  m_edit.SetBackgroundColour(m_crFill);
  m_edit.Invalidate(TRUE);
  PutTextIntoField();
}

// Setting a field's text puts its caret at the start: only a text the field does not show
// yet (one given to SetText) is set.
void CEditEx::PutTextIntoField() {
  if (m_edit.GetWindowText() != m_strText) m_edit.SetWindowText(m_strText);
}

void CEditEx::OnFieldChange() { m_strText = m_edit.GetWindowText(); }

BOOL CEditEx::OnEraseBkgnd(CDC*) { return TRUE; }

void CEditEx::OnNcPaint() { Default(); }
