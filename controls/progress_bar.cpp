#include "controls/progress_bar.h"

#include "controls/control_behaviour.h"
#include "controls/progress_fill.h"
#include "controls/scaling.h"
#include "framework/memory_dc.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CProgressCtrlEx, CButton)

BEGIN_MESSAGE_MAP(CProgressCtrlEx, CButton)
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CProgressCtrlEx::~CProgressCtrlEx() = default;

void CProgressCtrlEx::PreSubclassWindow() {
  m_hWndForWorkers = m_hWnd;
  SwitchToOwnerDraw(*this);
  CButton::PreSubclassWindow();
}

void CProgressCtrlEx::Reset() {
  m_nPos.store(0);
  Repaint();
}

void CProgressCtrlEx::Repaint() const {
  if (m_hWndForWorkers) ::InvalidateRect(m_hWndForWorkers, nullptr, TRUE);
}

void CProgressCtrlEx::LoadImages() {
  m_pTrackImage.Load(IDB_PNG_PROGRESS_TRACK);
  m_pFillImage.Load(IDB_PNG_PROGRESS_FILL);
  if (!m_pTrackImage) return;
  const ScreenDpi dpi = ReadScreenDpi();
  const ControlSize size =
      ProgressBarSize(m_pTrackImage->GetWidth(), m_pTrackImage->GetHeight(), dpi.x, dpi.y);
  m_fWidth = static_cast<float>(size.cx);
  m_fHeight = static_cast<float>(size.cy);
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CProgressCtrlEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CRect client;
  GetClientRect(&client);
  if (!m_pTrackImage || !m_pFillImage) return;

  CDC dc(lpDrawItemStruct->hDC);
  const CRect item(lpDrawItemStruct->rcItem);
  CMemoryDC memDC;
  if (!memDC.Create(dc, item.Width(), item.Height())) return;
  {
    const CBrush white(RGB(255, 255, 255));
    ::FillRect(memDC.m_hDC, &item, white);
  }
  {
    gdip::Graphics graphics(memDC.m_hDC);
    const int trackWidth = static_cast<int>(m_pTrackImage->GetWidth());
    const int trackHeight = static_cast<int>(m_pTrackImage->GetHeight());
    graphics.DrawImage(*m_pTrackImage, {0, 0, client.Width(), client.Height()},
                       {0, 0, trackWidth, trackHeight});
    const std::optional<FillExtent> fill = ProgressFill(
        m_nPos.load(), m_nLower, m_nUpper, m_pFillImage->GetWidth(), m_fWidth, m_fHeight);
    if (fill) {
      graphics.DrawImage(*m_pFillImage, {0, 0, fill->destWidth, fill->destHeight},
                         {0, 0, fill->sourceWidth, static_cast<int>(m_pFillImage->GetHeight())});
    }
  }  // the graphics object is gone, so everything it drew is in the bitmap
  dc.BitBlt(0, 0, item.Width(), item.Height(), &memDC, 0, 0, SRCCOPY);
}

BOOL CProgressCtrlEx::OnEraseBkgnd(CDC*) { return TRUE; }
