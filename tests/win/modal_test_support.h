#pragma once
// Driving a modal dialog as a user would: while the test's thread sits in the dialog's
// modal loop, a second thread uses real keyboard and mouse input and reads the dialog on
// the test's thread through the dialog's owner.

#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <thread>
#include <utility>

#include "window_test_support.h"

inline constexpr UINT WM_RUN_ON_UI_THREAD = WM_APP + 40;

// An owner for modal dialogs that runs work handed to it by another thread on its own
// thread, which keeps answering while it sits in a modal loop.
class CModalOwner : public CTestHost {
public:
  // Returns once `work` has run on the owner's thread.
  void OnUiThread(const std::function<void()>& work) {
    ::SendMessageW(m_hWnd, WM_RUN_ON_UI_THREAD, 0, reinterpret_cast<LPARAM>(&work));
  }

protected:
  LRESULT OnRun(WPARAM, LPARAM lParam) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

inline bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
  for (int waited = 0; !done() && waited < ms; waited += 10) ::Sleep(10);
  return done();
}

struct ModalRun {
  INT_PTR returned = 0;
  bool shown = false;     // the dialog came up
  bool leftOpen = false;  // the user's actions did not end it: it was closed for them
};

// Runs `dialog` modally over `owner` while another thread waits for it to show and then
// acts as the user with `act`. A dialog that never shows, or is still open a while after
// `act`, is sent WM_CLOSE, so that a failing test ends.
inline ModalRun RunWithUser(CModalOwner& owner, CDialog& dialog, const std::function<void()>& act) {
  ModalRun run;
  std::atomic<bool> userDone = false;
  std::thread user([&] {
    const auto showing = [&] {
      bool visible = false;
      owner.OnUiThread([&] { visible = dialog.m_hWnd && dialog.IsWindowVisible(); });
      return visible;
    };
    const auto gone = [&] {
      bool closed = false;
      owner.OnUiThread([&] { closed = !dialog.m_hWnd; });
      return closed;
    };
    run.shown = WaitFor(showing);
    if (run.shown) {
      ::Sleep(100);  // let it paint and settle
      act();
    }
    if (!WaitFor(gone)) {
      run.leftOpen = true;
      owner.OnUiThread([&] { dialog.PostMessage(WM_CLOSE); });
    }
    userDone = true;
  });
  run.returned = dialog.DoModal();
  // The user thread talks to this thread until it ends: keep answering.
  PumpUntil([&] { return userDone.load(); }, 20000);
  user.join();
  return run;
}

// A real click at a screen point: the pointer arrives with a move, then press and release.
inline void ClickAt(POINT at) {
  MouseMoveTo(at.x - 1, at.y);
  ::Sleep(30);
  MouseMoveTo(at.x, at.y);
  ::Sleep(30);
  MouseButton(true);
  ::Sleep(60);
  MouseButton(false);
}

// Real key strokes: (virtual key, down) in order.
inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> strokes) {
  for (const auto& [key, down] : strokes) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
    ::Sleep(20);
  }
}

inline void PressKey(WORD key) { SendKeys({{key, true}, {key, false}}); }

inline POINT CentreOnScreen(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
