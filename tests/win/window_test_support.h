#pragma once
// Real windows for the Windows-side tests: a host dialog that records the commands its
// children send, a message pump, real mouse input, and the DPI of this test run.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "controls/progress_bar.h"
#include "framework/afxwin.h"
#include "test_resources.h"

// The logical DPI the harness gave this run's prefix.
inline int HarnessDpi() {
  const char* dpi = std::getenv("INKVANE_DPI");
  return dpi ? std::atoi(dpi) : 96;
}

// A modeless popup at a known place that records every WM_COMMAND (id, code) it receives.
class CTestHost : public CDialog {
public:
  CTestHost() : CDialog(IDD_TEST_HOST) {}

  // Creates the window at (left, top) of the screen with a client area of width x height.
  bool Open(int left = 100, int top = 100, int width = 400, int height = 300) {
    if (!Create()) return false;
    SetWindowPos(nullptr, left, top, width, height, SWP_NOZORDER);
    ::SetForegroundWindow(m_hWnd);
    return true;
  }

  std::vector<std::pair<int, int>> commands;  // (control id, notification code)

protected:
  LRESULT OnCommandProbe(WPARAM wParam, LPARAM) {
    commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

// Dispatches this thread's messages for `ms` milliseconds.
inline void PumpFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
}

// Dispatches messages until `done` holds or `ms` milliseconds have passed; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 2000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (!done() && std::chrono::steady_clock::now() < end) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
  return done();
}

// Real mouse input through the system's input queue, at screen coordinates.
inline void MouseMoveTo(int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (x * 65536 + 32768) / ::GetSystemMetrics(SM_CXSCREEN);
  input.mi.dy = (y * 65536 + 32768) / ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
}

inline void MouseButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &input, sizeof input);
}

// The screen point `dx`, `dy` pixels into a window's client area.
inline POINT ScreenPointIn(const CWnd& wnd, int dx, int dy) {
  POINT point{dx, dy};
  ::ClientToScreen(wnd.m_hWnd, &point);
  return point;
}

// Asks `control` to draw itself through its owner-draw path into `dc`, as the platform does.
inline void DrawInto(CButton& control, HDC dc) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(control.GetDlgCtrlID());
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = control.m_hWnd;
  item.hDC = dc;
  control.GetClientRect(&item.rcItem);
  control.DrawItem(&item);
}

// Puts the bar at `pos`, backwards too, as a test sets the scene.
inline void MoveBarTo(CProgressCtrlEx& bar, std::int64_t pos) {
  bar.Advance([pos](std::int64_t) { return std::optional<std::int64_t>(pos); });
}

// The control identifiers of `window`'s visible children.
using Ids = std::set<int>;
inline Ids VisibleControls(HWND window) {
  Ids ids;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    if (::IsWindowVisible(child)) ids.insert(::GetDlgCtrlID(child));
  return ids;
}
