#include "framework/dc.h"

#include <cassert>

#include "framework/wnd.h"

CDC::~CDC() {
  if (m_owned) ::DeleteDC(m_hDC);
}

BOOL CDC::CreateCompatibleDC(const CDC* pDC) {
  DeleteDC();
  m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
  m_owned = m_hDC != nullptr;
  return m_owned;
}

BOOL CDC::DeleteDC() {
  const BOOL deleted = m_owned && ::DeleteDC(m_hDC);
  if (m_owned) m_hDC = nullptr;
  m_owned = false;
  return deleted;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
  ::SetBkColor(m_hDC, colour);
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

CSize CDC::GetTextExtent(const CString& text) const {
  SIZE size{};
  ::GetTextExtentPoint32W(m_hDC, text, text.GetLength(), &size);
  return {size.cx, size.cy};
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
  assert(m_hWnd);
  if (m_hWnd) m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  if (m_hWnd) ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
  assert(m_hWnd);
  if (m_hWnd) m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
}
