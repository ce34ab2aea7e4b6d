#pragma once
// The one text font of the control kit.

#include "framework/afxwin.h"

// The face of every text the kit draws.
inline constexpr wchar_t kKitFaceName[] = L"Microsoft YaHei";

// Makes `font` hold a new font of the kit's face whose cell is `nHeight` pixels high:
// normal weight, upright, no underline or strike-out, default character set, precision and
// quality, Swiss family with default pitch. The font held before is released. FALSE, with
// no font held, when the system cannot create it.
BOOL CreateKitFont(CFont& font, int nHeight);

// What the text controls measure: the width of `control`'s window text on one line in
// `font` (the context's own font when `font` holds none), and the control's client height
// as it is now, not the text's.
CSize MeasureWindowText(CWnd& control, const CFont& font);
