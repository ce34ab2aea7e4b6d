#pragma once
// The mouse behaviour the button-like controls share: a visual state (m_nState) that
// follows hover, press, release and leave, and an input flag (m_bEnabled) whose clearing
// makes the control ignore the mouse entirely, so that it never reports a click.
//
// A control derives from CHoverControl<CButton or CStatic> and names its CHoverBase as the
// base of its own message map, which thereby chains to the five mouse entries here.

#include "controls/accessible_object.h"
#include "controls/control_behaviour.h"
#include "controls/image_frames.h"
#include "framework/message_map.h"

template <class TBase>
class CHoverControl : public TBase {
public:
  using CHoverBase = CHoverControl;

  // `invalidateOnRelease` repaints the control on release too.
  explicit CHoverControl(bool invalidateOnRelease = false)
      : m_bInvalidateOnRelease(invalidateOnRelease) {}

  int m_nState = STATE_NORMAL;  // 0..3; 3 (disabled look) is set only by the owner
  BOOL m_bEnabled = TRUE;       // 0: ignore hover, press and release; no click is reported

  // The owner's switch: enables or disables the control's input together with its look (the
  // normal or the disabled frame), repaints it, and tells a screen reader.
  void SetEnabled(bool enabled) {
    m_bEnabled = enabled;
    m_nState = enabled ? STATE_NORMAL : STATE_DISABLED;
    this->Invalidate(TRUE);
    NotifyAccessibleStateChange(*this);
  }

  BEGIN_TEMPLATE_MESSAGE_MAP(CHoverControl, TBase)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEHOVER()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
  END_MESSAGE_MAP()

protected:
  void OnMouseMove(UINT, CPoint) { TrackHoverAndLeave(*this); }
  void OnMouseLeave() { Apply(MouseEvent::Leave); }
  void OnMouseHover(UINT, CPoint) { Apply(MouseEvent::Hover); }
  // The platform control captures the mouse here (buttons) or reports the click (statics).
  void OnLButtonDown(UINT, CPoint) { Apply(MouseEvent::LButtonDown); }
  void OnLButtonUp(UINT, CPoint) { Apply(MouseEvent::LButtonUp); }

private:
  void Apply(MouseEvent event) {
    ApplyMouseEvent(*this, event, m_nState, m_bEnabled, m_bInvalidateOnRelease);
  }

  const bool m_bInvalidateOnRelease;
};
