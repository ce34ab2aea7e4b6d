#include "framework/memory_dc.h"

BOOL CMemoryDC::Create(const CDC& dc, int nWidth, int nHeight) {
  Release();
  if (!m_bitmap.CreateCompatibleBitmap(dc.m_hDC, nWidth, nHeight)) return FALSE;
  if (!CreateCompatibleDC(&dc)) {
    m_bitmap.DeleteObject();
    return FALSE;
  }
  m_hOldBitmap = SelectObject(m_bitmap);
  return TRUE;
}

void CMemoryDC::Release() {
  if (m_hOldBitmap) SelectObject(m_hOldBitmap);
  m_hOldBitmap = nullptr;
  m_bitmap.DeleteObject();
  DeleteDC();
}
