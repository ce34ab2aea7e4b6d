#pragma once
// Owners of GDI objects. Each deletes the object it holds; none is copyable. A drawing
// that selects one into a device context must select the previous object back first.

#include <windows.h>

class CGdiObject {
public:
  CGdiObject() = default;
  ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ m_hObject = nullptr;
  HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }

  // Deletes the object held, if any; the owner then holds none.
  BOOL DeleteObject() {
    if (!m_hObject) return FALSE;
    const BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
  }

protected:
  // Takes ownership of a freshly created object (releasing the previous one).
  BOOL Take(HGDIOBJ object) {
    DeleteObject();
    m_hObject = object;
    return object != nullptr;
  }
};

class CFont : public CGdiObject {
public:
  BOOL CreateFontIndirect(const LOGFONTW* lpLogFont) { return Take(::CreateFontIndirectW(lpLogFont)); }
  BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                  BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                  BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                  BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    return Take(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                              bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                              nQuality, nPitchAndFamily, lpszFacename));
  }
  operator HFONT() const noexcept { return static_cast<HFONT>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
  CBrush() = default;
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  BOOL CreateSolidBrush(COLORREF colour) { return Take(::CreateSolidBrush(colour)); }
  operator HBRUSH() const noexcept { return static_cast<HBRUSH>(m_hObject); }
};

class CPen : public CGdiObject {
public:
  CPen() = default;
  CPen(int nPenStyle, int nWidth, COLORREF colour) { CreatePen(nPenStyle, nWidth, colour); }
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF colour) {
    return Take(::CreatePen(nPenStyle, nWidth, colour));
  }
  operator HPEN() const noexcept { return static_cast<HPEN>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
  // A bitmap compatible with `hDC`, of the given size.
  BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
    return Take(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
  }
  operator HBITMAP() const noexcept { return static_cast<HBITMAP>(m_hObject); }
};
