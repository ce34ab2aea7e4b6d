#pragma once
// The mouse behaviour the button-like controls share: a visual state (m_nState) that
// follows hover, press, release and leave, and an input flag (m_bEnabled) whose clearing
// makes the control ignore the mouse entirely, so that it never reports a click.
//
// A control derives from CHoverControl<CButton or CStatic, ...> and binds the handlers in its
// own message map: ON_WM_MOUSEMOVE, ON_WM_MOUSELEAVE, ON_WM_MOUSEHOVER, ON_WM_LBUTTONDOWN,
// ON_WM_LBUTTONUP. `kInvalidateOnRelease` repaints the control on release too.

#include "controls/control_behaviour.h"
#include "controls/image_frames.h"

template <class TBase, bool kInvalidateOnRelease>
class CHoverControl : public TBase {
public:
  int m_nState = STATE_NORMAL;  // 0..3; 3 (disabled look) is set only by the owner
  BOOL m_bEnabled = TRUE;       // 0: ignore hover, press and release; no click is reported

protected:
  void OnMouseMove(UINT, CPoint) { TrackHoverAndLeave(*this); }
  void OnMouseLeave() { Apply(MouseEvent::Leave); }
  void OnMouseHover(UINT, CPoint) { Apply(MouseEvent::Hover); }
  // The platform control captures the mouse here (buttons) or reports the click (statics).
  void OnLButtonDown(UINT, CPoint) { Apply(MouseEvent::LButtonDown); }
  void OnLButtonUp(UINT, CPoint) { Apply(MouseEvent::LButtonUp); }

private:
  void Apply(MouseEvent event) {
    ApplyMouseEvent(*this, event, m_nState, m_bEnabled, kInvalidateOnRelease);
  }
};
