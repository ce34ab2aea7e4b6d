#pragma once
// Message maps: a table per class that binds window messages to member handlers, searched
// from the most derived class to CWnd. Each ON_ macro below cracks the message parameters
// into the handler signature named beside it. Messages no table binds go to the reflection
// of child notifications and then to the window's default processing (CWnd::Default).

#include <windows.h>

#include "framework/types.h"

class CWnd;
class CDC;

// Calls one handler on `target` (the class that declared the entry) with cracked parameters.
using AFX_PMSG_THUNK = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

// nCode of an entry that takes a message whatever its notification code and control.
inline constexpr UINT AFX_ANY_CODE = 0xFFFFFFFF;

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // window message; 0 ends the table
  UINT nCode;     // WM_COMMAND: the notification code, or AFX_ANY_CODE
  UINT nID;       // WM_COMMAND: the first control identifier
  UINT nLastID;   // WM_COMMAND: the last control identifier
  AFX_PMSG_THUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root of the chain
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// A child's notification handed back to the child: message id = WM_REFLECT_BASE + message.
inline constexpr UINT WM_REFLECT_BASE = 0xBC00;
// All WM_CTLCOLOR* messages reach handlers as this one, with the control type passed on.
inline constexpr UINT WM_CTLCOLOR = 0x0019;

// In the class body.
#define DECLARE_MESSAGE_MAP()                   \
protected:                                      \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

// In the body of a class template, around the entries (closed by END_MESSAGE_MAP): the
// template's own map, defined in place and chained to `baseClass`, so that every class
// made from the template shares its entries by naming it as its own map's base.
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, baseClass)                    \
protected:                                                                 \
  const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); } \
  static const AFX_MSGMAP* GetThisMessageMap() {                           \
    using ThisClass [[maybe_unused]] = theClass;                           \
    using TheBaseClass = baseClass;                                        \
    static const AFX_MSGMAP_ENTRY entries[] = {

// In one source file, around the entries.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                      \
  {0, 0, 0, 0, nullptr}};                                                      \
    static const AFX_MSGMAP map{&TheBaseClass::GetThisMessageMap, entries};    \
    return &map;                                                               \
  }

#define AFX_THUNK(body) [](CWnd* pWnd, [[maybe_unused]] WPARAM wParam, [[maybe_unused]] LPARAM lParam) -> LRESULT { \
    [[maybe_unused]] auto* self = static_cast<ThisClass*>(pWnd);                                                  \
    body                                                                                                          \
  }

// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint(); return 0;)},
// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND() \
  {WM_ERASEBKGND, 0, 0, 0, AFX_THUNK(CDC dc(reinterpret_cast<HDC>(wParam)); return self->OnEraseBkgnd(&dc);)},
// void OnNcPaint()
#define ON_WM_NCPAINT() {WM_NCPAINT, 0, 0, 0, AFX_THUNK(self->OnNcPaint(); return 0;)},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon());)},
// void OnMouseMove(UINT nFlags, CPoint point)
#define ON_WM_MOUSEMOVE() \
  {WM_MOUSEMOVE, 0, 0, 0, AFX_THUNK(self->OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
// void OnMouseHover(UINT nFlags, CPoint point)
#define ON_WM_MOUSEHOVER() \
  {WM_MOUSEHOVER, 0, 0, 0, AFX_THUNK(self->OnMouseHover(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
// void OnMouseLeave()
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, AFX_THUNK(self->OnMouseLeave(); return 0;)},
// void OnLButtonDown(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONDOWN() \
  {WM_LBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
// void OnLButtonUp(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONUP() \
  {WM_LBUTTONUP, 0, 0, 0, AFX_THUNK(self->OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor): every WM_CTLCOLOR* message
#define ON_WM_CTLCOLOR()                                                                      \
  {WM_CTLCOLOR, 0, 0, 0, AFX_THUNK(CDC dc(reinterpret_cast<HDC>(wParam));                    \
     const auto* colour = reinterpret_cast<const CtlColorParams*>(lParam);                    \
     return reinterpret_cast<LRESULT>(self->OnCtlColor(&dc, colour->pWnd, colour->nCtlColor));)},
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor): the child's half of WM_CTLCOLOR*
#define ON_WM_CTLCOLOR_REFLECT()                                                              \
  {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, AFX_THUNK(CDC dc(reinterpret_cast<HDC>(wParam));  \
     const auto* colour = reinterpret_cast<const CtlColorParams*>(lParam);                    \
     return reinterpret_cast<LRESULT>(self->CtlColor(&dc, colour->nCtlColor));)},
// LRESULT memberFxn(WPARAM wParam, LPARAM lParam)
#define ON_MESSAGE(message, memberFxn) \
  {message, AFX_ANY_CODE, 0, 0, AFX_THUNK(return self->memberFxn(wParam, lParam);)},
// void memberFxn(): WM_COMMAND with this notification code from control `id`
#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, static_cast<UINT>(code), id, id, AFX_THUNK(self->memberFxn(); return 0;)},
// void memberFxn(): a button's (or a notifying static's) click
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// void memberFxn(): a command with code 0 (menus, accelerators, clicks)
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)

// What a WM_CTLCOLOR* handler learns besides the device context.
struct CtlColorParams {
  CWnd* pWnd;      // the control asking, when it is bound to an object; else null
  HWND hWnd;       // the control asking
  UINT nCtlColor;  // CTLCOLOR_EDIT, CTLCOLOR_STATIC, ...
};
