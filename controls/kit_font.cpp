#include "controls/kit_font.h"

BOOL CreateKitFont(CFont& font, int nHeight) {
  // A positive height asks for the cell height, not the character height.
  return font.CreateFont(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         FF_SWISS | DEFAULT_PITCH, kKitFaceName);
}

CSize MeasureWindowText(CWnd& control, const CFont& font) {
  CSize size;
  {
    CClientDC dc(&control);
    const CSelectGuard fontSelected(dc, font);
    size.cx = dc.GetTextExtent(control.GetWindowText()).cx;
  }
  CRect client;
  control.GetClientRect(&client);
  size.cy = client.Height();
  return size;
}
