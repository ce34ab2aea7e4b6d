#pragma once
// What a kit control tells assistive technology: its answer to WM_GETOBJECT.
//
// A screen reader asks a window for its accessible object (AccessibleObjectFromWindow, which
// sends WM_GETOBJECT with OBJID_CLIENT). The platform's own object for a window
// (CreateStdAccessibleObject) names it by its window text, but it cannot know what an
// owner-drawn control is or what its owner's flags say: Windows makes every owner-drawn
// button a push button and reads no check from it, Wine 8 makes every control a plain client
// area with no default action. So each actionable control answers with a small object of
// ours over the platform's: role, state and default action come from the control's
// AccessibleFacts (controls/accessible_facts.h) at every question, everything else
// (name, location, parent, navigation) from the platform's object.
//
// Usage, in a control's message map and handler:
//   ON_MESSAGE(WM_GETOBJECT, OnGetObject)
//   LRESULT CMyControl::OnGetObject(WPARAM wParam, LPARAM lParam) {
//     return AnswerGetObject(*this, wParam, lParam, [](const CWnd& control) {
//       return AccessibleFacts{AccessibleKind::PushButton, ...read from the control...};
//     });
//   }
//
// Nothing of this runs before a client asks: oleacc.dll (and oleaut32.dll, for the strings)
// are loaded from the system folder at the first question and kept until the process ends;
// the thread that answers joins a single-threaded COM apartment then, which marshalling the
// object to the client's process needs, and stays in it.

#include "controls/accessible_facts.h"
#include "framework/afxwin.h"

// Reads the facts of `control`, which is the control that answered (its own class).
using AccessibleFactsOf = AccessibleFacts (*)(const CWnd& control);

// The control's answer to WM_GETOBJECT: for OBJID_CLIENT an object of ours, with role, state
// and default action from `facts`; any other object id, or a platform that cannot make the
// object, gets the control's default processing. The name is the window text (a text field's
// is its parent's, the frame that holds it, and its value its own text, withheld when secret).
// The default action posts the control's click notification (BN_CLICKED, or STN_CLICKED, of
// the same value) to its parent, as a mouse click on it does, and only when the control would
// take that click; it returns at once, before the owner runs its command. Once the control's
// window is gone, or bound to another object, the object answers RPC_E_DISCONNECTED.
LRESULT AnswerGetObject(CWnd& control, WPARAM wParam, LPARAM lParam, AccessibleFactsOf facts);

// Tells assistive technology that the state of `control` changed (EVENT_OBJECT_STATECHANGE):
// call it when the owner has changed a flag that the control's facts read.
void NotifyAccessibleStateChange(const CWnd& control);
