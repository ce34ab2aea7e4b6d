#pragma once
// CCheckBoxEx: a small owner-drawn box that shows a checked flag its owner keeps, drawn from
// the two-column check-box picture (unchecked on the left, checked on the right), and
// reports clicks as BN_CLICKED. It never changes the flag itself: the owner sets it in its
// click handler with SetChecked. Its caption is never drawn: it names the box for a screen
// reader, which reads it as a check box checked as m_bChecked says.

#include "controls/png_resource.h"
#include "controls/image_frames.h"
#include "controls/hover_control.h"
#include "framework/afxwin.h"

class CCheckBoxEx : public CHoverControl<CButton> {
  DECLARE_DYNAMIC(CCheckBoxEx)

public:
  CCheckBoxEx() = default;
  ~CCheckBoxEx() override;

  // Loads the check-box picture (PNG 130) and sizes the box to one cell at the screen's
  // DPI, keeping its position and raising it to the top of its siblings. Call after Create.
  // A picture that cannot be found keeps the previous one (if any) and the current size.
  void SetImage();

  // Draws the cell of m_nState in the column of m_bChecked over what the context shows.
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  BOOL m_bChecked = TRUE;       // non-zero: the checked (right) column; owned by the owner
  // The owner's switch: sets m_bChecked, repaints the box and tells a screen reader.
  void SetChecked(bool checked);

protected:
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  // Answers a screen reader (controls/accessible_object.h).
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  Picture m_pImage;
};
