#pragma once
// Message handling that several owner-drawn controls share.

#include "controls/button_states.h"
#include "controls/png_resource.h"
#include "controls/image_frames.h"
#include "framework/afxwin.h"

// Adds BS_OWNERDRAW to a button's style (push buttons and check boxes both become
// owner-drawn), so that it draws itself from its first paint.
void SwitchToOwnerDraw(CWnd& control);

// Asks the platform for one WM_MOUSEHOVER after the pointer rests 50 ms in `control` and one
// WM_MOUSELEAVE when it leaves, then runs the default processing of the mouse move.
void TrackHoverAndLeave(CWnd& control);

// Runs the shared state machine for one mouse message on `control`, whose visual state is
// `state`: updates it, repaints, emits the debug line, and runs the default processing
// (which is where the platform button captures the mouse and reports the click).
void ApplyMouseEvent(CWnd& control, MouseEvent event, int& state, int enabled,
                     bool invalidateOnRelease);

// How big a control showing one cell of a picture of width x height pixels is at a DPI.
using CellSizer = ControlSize (*)(unsigned width, unsigned height, int dpiX, int dpiY);

// Loads PNG `nId` into `picture` and sizes `control` to one cell of it at the screen's DPI,
// keeping its position and raising it to the top of its siblings. A picture that cannot be
// found keeps the previous image (if any) and the current size.
void SetControlImage(CWnd& control, UINT nId, Picture& picture, CellSizer cellSize);
