// The installer window's commands in its own modal loop, with a second thread acting as the
// user through real mouse and keyboard input: the keyboard filter whatever has the focus, and
// the abort flag, which only the close button's question sets. (tests/e2e/commands_e2e.py
// drives the rest through real installs.)
#include <oleacc.h>

#include <gtest/gtest.h>

#include <vector>

#include "installer/control_ids.h"
#include "installer/download.h"
#include "installer/downloader_dlg.h"
#include "modal_test_support.h"

namespace {

constexpr int kYesId = 10111;
constexpr int kNoId = 10112;

struct FoundWindows {
  HWND dlg, owner;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOther(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<FoundWindows*>(data);
  if (window != found->dlg && window != found->owner && ::IsWindowVisible(window))
    found->windows.push_back(window);
  return TRUE;
}

// The visible top-level windows of the calling thread other than `dlg` and `owner`: message
// boxes, the folder browser. Call on the UI thread.
std::vector<HWND> OtherWindows(const CWnd& dlg, const CWnd& owner) {
  FoundWindows found{dlg.m_hWnd, owner.m_hWnd, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectOther, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

// The windows whose state changed (EVENT_OBJECT_STATECHANGE), as the hooking thread hears.
std::vector<HWND> g_stateChanges;
void CALLBACK OnStateChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) g_stateChanges.push_back(window);
}

// The state a screen reader reads of `control`, asked from the calling thread (in COM's
// multi-threaded apartment, so through a proxy to the window's thread); -1 when it cannot.
LONG AccessibleStateOf(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
    return -1;
  VARIANT self{}, state{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const HRESULT hr = object->get_accState(self, &state);
  object->Release();
  return SUCCEEDED(hr) && state.vt == VT_I4 ? state.lVal : -1;
}

class WindowCommandsTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_bAbortDownload = 0;
    ASSERT_TRUE(owner.Open(0, 0, 40, 40));
  }
  void TearDown() override { g_bAbortDownload = 0; }

  std::vector<HWND> Others(const CDownloaderDlg& dlg) {
    std::vector<HWND> windows;
    owner.OnUiThread([&] { windows = OtherWindows(dlg, owner); });
    return windows;
  }

  // The one window besides the installer once it has come up; null after 3 s without.
  HWND WaitForOther(const CDownloaderDlg& dlg) {
    std::vector<HWND> windows;
    WaitFor([&] { return !(windows = Others(dlg)).empty(); });
    return windows.size() == 1 ? windows.front() : nullptr;
  }

  // Ends whatever the installer opened, so that a failing check cannot leave a box running.
  void CloseOthers(const CDownloaderDlg& dlg) {
    for (HWND window : Others(dlg)) ::PostMessageW(window, WM_CLOSE, 0, 0);
  }

  void Click(HWND control) { ClickAt(CentreOnScreen(control)); }

  CModalOwner owner;
};

}  // namespace

TEST_F(WindowCommandsTest, EscapeEnterAndSpaceDoNothingButSpaceTypesInTheFolderFieldWhileAltF4Closes) {
  CDownloaderDlg dlg;
  // An install command would show its notice for this folder, so a click is seen at once.
  const CString folder = L"Q:\\Inkvane";
  // Every kind of control the Ready screen has: image button, picture buttons, check box,
  // link, text field; and what the folder field holds after the keys with that focus.
  struct Row {
    CWnd* focused;
    CString typed;
  };
  const Row rows[] = {
      {&dlg.m_btnClose, folder},
      {&dlg.m_btnInstall, folder},
      {&dlg.m_btnChangeDir, folder},
      {&dlg.m_chkAgree, folder},
      {&dlg.m_lnkLicense, folder},
      // In the field Space types a blank, Shift+Space too; Escape and Enter still do nothing.
      {&dlg.m_editInstallDir.m_edit, L"Q:\\Inkvane  "},
  };
  const ModalRun run = RunWithUser(owner, dlg, [&] {
    for (const Row& row : rows) {
      CWnd* const control = row.focused;
      HWND focus = nullptr;
      owner.OnUiThread([&] {
        dlg.m_editInstallDir.m_edit.SetWindowText(folder);
        // The caret at the end, where the user types.
        dlg.m_editInstallDir.m_edit.SendMessage(EM_SETSEL, folder.GetLength(), folder.GetLength());
        ::SetForegroundWindow(dlg.m_hWnd);
        ::SetFocus(control->m_hWnd);
        focus = ::GetFocus();
      });
      SCOPED_TRACE(::GetDlgCtrlID(control->m_hWnd));
      ASSERT_EQ(focus, control->m_hWnd);
      for (WORD key : {VK_ESCAPE, VK_RETURN, VK_SPACE}) PressKey(key);
      SendKeys({{VK_SHIFT, true}, {VK_SPACE, true}, {VK_SPACE, false}, {VK_SHIFT, false}});
      ::Sleep(300);

      bool open = false;
      BOOL agreed = FALSE;
      CString text;
      owner.OnUiThread([&] {
        open = dlg.m_hWnd && dlg.IsWindowVisible();
        agreed = dlg.m_chkAgree.m_bChecked;
        text = dlg.m_editInstallDir.m_edit.GetWindowText();
      });
      ASSERT_TRUE(open) << "the installer ended";
      EXPECT_TRUE(Others(dlg).empty()) << "a key opened a box or the folder browser";
      CloseOthers(dlg);
      EXPECT_TRUE(agreed) << "the agreement changed";
      EXPECT_EQ(text.str(), row.typed.str()) << "the folder field holds what was not typed";
    }
    SendKeys({{VK_MENU, true}, {VK_F4, true}, {VK_F4, false}, {VK_MENU, false}});
  });
  ASSERT_TRUE(run.shown);
  EXPECT_FALSE(run.leftOpen) << "Alt+F4 did not close the installer";
  EXPECT_EQ(run.returned, IDCANCEL);
  EXPECT_EQ(g_bAbortDownload, 0) << "only the close button's question aborts";
}

TEST_F(WindowCommandsTest, CloseAsksWhileInstallingAndOnlyYesAborts) {
  CDownloaderDlg dlg;
  bool installing = false, askedAgain = false;
  int abortAfterNo = -1;
  const ModalRun run = RunWithUser(owner, dlg, [&] {
    owner.OnUiThread([&] { dlg.ShowInstallingScreen(); });
    Click(dlg.m_btnClose.m_hWnd);
    const HWND first = WaitForOther(dlg);
    if (!first) return;
    Click(::GetDlgItem(first, kNoId));
    WaitFor([&] { return Others(dlg).empty(); });
    owner.OnUiThread([&] { installing = dlg.m_hWnd && dlg.m_progress.IsWindowVisible(); });
    abortAfterNo = g_bAbortDownload;

    Click(dlg.m_btnClose.m_hWnd);
    const HWND second = WaitForOther(dlg);
    askedAgain = second != nullptr;
    if (second) Click(::GetDlgItem(second, kYesId));
  });
  ASSERT_TRUE(run.shown);
  EXPECT_TRUE(installing) << "after 否 the window stays on its screen";
  EXPECT_EQ(abortAfterNo, 0);
  EXPECT_TRUE(askedAgain);
  EXPECT_FALSE(run.leftOpen) << "是 did not close the installer";
  EXPECT_EQ(g_bAbortDownload, 1);
}

TEST_F(WindowCommandsTest, TickingTheAgreementTellsAScreenReaderOfTheBoxAndTheInstallButton) {
  CDownloaderDlg dlg;
  std::vector<HWND> changes, expected;
  LONG boxBefore = -1, boxAfter = -1, installAfter = -1;
  const ModalRun run = RunWithUser(owner, dlg, [&] {
    expected = {dlg.m_chkAgree.m_hWnd, dlg.m_btnInstall.m_hWnd};
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    boxBefore = AccessibleStateOf(dlg.m_chkAgree.m_hWnd);
    HWINEVENTHOOK hook = nullptr;
    owner.OnUiThread([&] {
      g_stateChanges.clear();
      hook = ::SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr,
                               &OnStateChange, ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    });
    Click(dlg.m_chkAgree.m_hWnd);
    WaitFor([&] {
      owner.OnUiThread([&] { changes = g_stateChanges; });
      return changes.size() >= 2;
    });
    owner.OnUiThread([&] { ::UnhookWinEvent(hook); });
    boxAfter = AccessibleStateOf(dlg.m_chkAgree.m_hWnd);
    installAfter = AccessibleStateOf(dlg.m_btnInstall.m_hWnd);
    ::CoUninitialize();
    owner.OnUiThread([&] { dlg.PostMessage(WM_CLOSE); });
  });
  ASSERT_TRUE(run.shown);
  EXPECT_EQ(changes, expected);
  ASSERT_NE(boxBefore, -1);
  EXPECT_TRUE(boxBefore & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(boxAfter & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(installAfter & STATE_SYSTEM_UNAVAILABLE);
}
