#include "controls/control_behaviour.h"

#include "controls/scaling.h"

void SwitchToOwnerDraw(CWnd& control) { control.ModifyStyle(0, BS_OWNERDRAW); }

void TrackHoverAndLeave(CWnd& control) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = control.m_hWnd;
  track.dwHoverTime = 50;
  ::TrackMouseEvent(&track);
  control.Default();
}

void ApplyMouseEvent(CWnd& control, MouseEvent event, int& state, int enabled,
                     bool invalidateOnRelease) {
  const MouseReaction reaction = ReactToMouse(event, enabled, state, invalidateOnRelease);
  if (!reaction.passOn) return;
  // Nothing reads these lines; the debugger channel keeps them out of any console output.
  if (!reaction.diagnostic.empty()) ::OutputDebugStringA(reaction.diagnostic.data());
  state = reaction.state;
  if (reaction.invalidate) control.Invalidate(TRUE);
  control.Default();
}

void SetControlImage(CWnd& control, UINT nId, Picture& picture, CellSizer cellSize) {
  if (!picture.Load(nId) || !picture) return;
  const ScreenDpi dpi = ReadScreenDpi();
  const ControlSize size = cellSize(picture->GetWidth(), picture->GetHeight(), dpi.x, dpi.y);
  control.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE);
}
