// The dialog framework on its own: binding, message maps, reflection, teardown, dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "gdiplus_fixture.h"
#include "window_test_support.h"

namespace {

constexpr UINT WM_PROBE_A = WM_APP + 1;
constexpr UINT WM_PROBE_B = WM_APP + 2;
constexpr UINT WM_PROBE_UNMAPPED = WM_APP + 3;

// A static control whose map binds two private messages and a click on a child.
class CProbeBase : public CStatic {
public:
  std::vector<std::string> calls;

protected:
  LRESULT OnProbeA(WPARAM wParam, LPARAM) {
    calls.push_back("base A " + std::to_string(wParam));
    return 100;
  }
  LRESULT OnProbeB(WPARAM, LPARAM) {
    calls.push_back("base B");
    return 200;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeBase, CStatic)
  ON_MESSAGE(WM_PROBE_A, OnProbeA)
  ON_MESSAGE(WM_PROBE_B, OnProbeB)
END_MESSAGE_MAP()

// Overrides B; handles WM_SETTEXT and then lets the control's own processing store the text.
class CProbeDerived : public CProbeBase {
protected:
  LRESULT OnProbeB(WPARAM, LPARAM) {
    calls.push_back("derived B");
    return 201;
  }
  LRESULT OnSetTextProbe(WPARAM, LPARAM) {
    calls.push_back("settext");
    return Default();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDerived, CProbeBase)
  ON_MESSAGE(WM_PROBE_B, OnProbeB)
  ON_MESSAGE(WM_SETTEXT, OnSetTextProbe)
END_MESSAGE_MAP()

// Records the order of subclassing and drawing, and the style at the first draw.
class CDrawProbe : public CButton {
public:
  std::vector<std::string> events;
  DWORD styleAtFirstDraw = 0;
  bool boundAtPreSubclass = false;

  void DrawItem(LPDRAWITEMSTRUCT item) override {
    if (events.empty() || events.back() != "draw") {
      if (styleAtFirstDraw == 0) styleAtFirstDraw = GetStyle();
      events.push_back("draw");
    }
    CDC(item->hDC).FillSolidRect(item->rcItem, RGB(0, 128, 0));
  }

protected:
  void PreSubclassWindow() override {
    boundAtPreSubclass = FromHandlePermanent(m_hWnd) == this;
    events.push_back("presubclass");
    ModifyStyle(0, BS_OWNERDRAW);
  }
};

}  // namespace

TEST(MessageMap, RoutesBoundMessagesToHandlersAndTheRestToDefault) {
  CTestHost host;
  ASSERT_TRUE(host.Open());
  CProbeDerived probe;
  ASSERT_TRUE(probe.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &host, 42));

  EXPECT_EQ(probe.SendMessage(WM_PROBE_A, 7), 100) << "a base class entry is found";
  EXPECT_EQ(probe.SendMessage(WM_PROBE_B), 201) << "the derived entry wins over the base";
  EXPECT_EQ(probe.SendMessage(WM_PROBE_UNMAPPED), 0) << "unmapped: the control's own processing";
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"base A 7", "derived B"}));

  // A handler that calls Default passes the very message on: the control stores the text.
  probe.SetWindowText(L"stored");
  EXPECT_EQ(probe.GetWindowText(), CString(L"stored"));
  EXPECT_EQ(probe.calls.back(), "settext");
}

TEST(MessageMap, RoutesAChildsClickToTheOwnersCommandHandler) {
  CTestHost host;
  ASSERT_TRUE(host.Open());
  CButton button;
  ASSERT_TRUE(button.Create(L"OK", WS_CHILD | WS_VISIBLE, CRect(10, 10, 90, 40), &host, 4711));
  button.SendMessage(BM_CLICK);
  PumpFor(20);
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0], std::make_pair(4711, static_cast<int>(BN_CLICKED)));
}

TEST(Subclassing, PreSubclassWindowRunsBoundAndBeforeTheFirstPaint) {
  CTestHost host;
  ASSERT_TRUE(host.Open());
  CDrawProbe probe;
  ASSERT_TRUE(probe.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &host, 7));
  host.UpdateWindow();
  PumpFor(50);
  ASSERT_GE(probe.events.size(), 2u);
  EXPECT_EQ(probe.events[0], "presubclass");
  EXPECT_EQ(probe.events[1], "draw") << "the owner-draw request reaches the child's DrawItem";
  EXPECT_TRUE(probe.boundAtPreSubclass);
  EXPECT_EQ(probe.styleAtFirstDraw & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
}

TEST(Subclassing, OwnerDrawRequestReachesTheChildThroughItsParent) {
  CTestHost host;
  ASSERT_TRUE(host.Open());
  CDrawProbe probe;
  ASSERT_TRUE(probe.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &host, 7));
  PumpFor(30);
  probe.events.clear();

  PixelSurface surface(40, 20, RGB(255, 255, 255));
  DRAWITEMSTRUCT item{ODT_BUTTON, 7, 0, ODA_DRAWENTIRE, 0, probe.m_hWnd, surface.dc(), {0, 0, 40, 20}, 0};
  EXPECT_EQ(host.SendMessage(WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item)), TRUE);
  EXPECT_EQ(probe.events, (std::vector<std::string>{"draw"}));
  EXPECT_EQ(surface.At(20, 10), RGB(0, 128, 0));
}

TEST(Teardown, AControlDestroyedWithItsParentLeavesNoBinding) {
  auto host = std::make_unique<CTestHost>();
  ASSERT_TRUE(host->Open());
  auto probe = std::make_unique<CProbeDerived>();
  ASSERT_TRUE(probe->Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), host.get(), 42));
  const HWND child = probe->m_hWnd;
  ASSERT_EQ(CWnd::FromHandlePermanent(child), probe.get());

  host->DestroyWindow();
  EXPECT_EQ(host->m_hWnd, nullptr);
  EXPECT_EQ(probe->m_hWnd, nullptr) << "the object must not keep the dead handle";
  EXPECT_FALSE(::IsWindow(child));
  probe.reset();  // destroying the object now touches no window
  host.reset();
}

TEST(Teardown, DestroyingTheObjectFirstDestroysItsWindowAndUnbindsIt) {
  CTestHost host;
  ASSERT_TRUE(host.Open());
  auto probe = std::make_unique<CDrawProbe>();
  ASSERT_TRUE(probe->Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &host, 7));
  const HWND child = probe->m_hWnd;
  probe.reset();
  EXPECT_FALSE(::IsWindow(child));
  // The parent keeps working and finds no object for the old handle.
  EXPECT_EQ(CWnd::FromHandlePermanent(child), nullptr);
  host.Invalidate();
  PumpFor(20);
  EXPECT_TRUE(::IsWindow(host.m_hWnd));
}

// With a null handle these calls would act on every window, the screen or the thread.
TEST(WindowWrappers, AnObjectWithoutAWindowMakesNoCall) {
#ifndef NDEBUG
  GTEST_SKIP() << "a debug build stops at the assertion first";
#else
  CTestHost host;
  ASSERT_TRUE(host.Open());
  host.UpdateWindow();
  ASSERT_FALSE(::GetUpdateRect(host.m_hWnd, nullptr, FALSE));

  CWnd none;
  none.Invalidate();
  EXPECT_FALSE(::GetUpdateRect(host.m_hWnd, nullptr, FALSE)) << "another window was invalidated";
  EXPECT_FALSE(none.PostMessage(WM_PROBE_A));
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_PROBE_A, WM_PROBE_A, PM_REMOVE))
      << "a message was posted to the thread";
  EXPECT_EQ(none.GetDC(), nullptr);
  EXPECT_EQ(CClientDC(&none).m_hDC, nullptr);
  CRect rect(1, 2, 3, 4);
  none.GetWindowRect(&rect);
  EXPECT_EQ(rect, CRect());
#endif
}

TEST(SelectGuard, PutsBackWhatItReplaced) {
  PixelSurface surface(4, 4, RGB(255, 255, 255));
  CDC dc(surface.dc());
  const HGDIOBJ original = ::GetCurrentObject(dc.m_hDC, OBJ_PEN);
  const CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
  {
    const CSelectGuard selected(dc, pen);
    EXPECT_EQ(::GetCurrentObject(dc.m_hDC, OBJ_PEN), pen.m_hObject);
  }
  EXPECT_EQ(::GetCurrentObject(dc.m_hDC, OBJ_PEN), original);
}

TEST(RuntimeClass, NamesTheClassAndItsBases) {
  CButton button;
  EXPECT_STREQ(button.GetRuntimeClass()->m_lpszClassName, "CButton");
  EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_FALSE(button.IsKindOf(RUNTIME_CLASS(CStatic)));
  CDialog dialog(IDD_TEST_HOST);
  EXPECT_STREQ(dialog.GetRuntimeClass()->m_lpszClassName, "CDialog");
}

namespace {
// Closes itself from a timer, the way another part of the program would send WM_CLOSE.
class CSelfClosingDialog : public CDialog {
public:
  explicit CSelfClosingDialog(CWnd* owner) : CDialog(IDD_TEST_HOST, owner) {}
  bool ownerDisabledWhileRunning = false;
  RECT placed{};

protected:
  BOOL OnInitDialog() override {
    SetWindowPos(nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER);
    ::SetTimer(m_hWnd, 1, 30, nullptr);
    return TRUE;
  }
  LRESULT OnTimer(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, 1);
    ownerDisabledWhileRunning = !::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER));
    GetWindowRect(&placed);
    SendMessage(WM_CLOSE);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfClosingDialog, CDialog)
  ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()
}  // namespace

TEST(ModalDialog, RunsOverItsDisabledOwnerCentredAndEndsOnClose) {
  CTestHost owner;
  ASSERT_TRUE(owner.Open(200, 100, 400, 300));
  CSelfClosingDialog dialog(&owner);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "WM_CLOSE ends a dialog through its cancel path";
  EXPECT_TRUE(dialog.ownerDisabledWhileRunning);
  EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd)) << "the owner gets its input back";
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  // 120 x 80 centred over the owner at (200, 100) 400 x 300.
  EXPECT_EQ(dialog.placed.left, 340);
  EXPECT_EQ(dialog.placed.top, 210);
}

namespace {
// Made from a template that is not visible; asks for the foreground while it initialises.
class CHiddenTemplateDialog : public CDialog {
public:
  explicit CHiddenTemplateDialog(CWnd* owner) : CDialog(IDD_TEST_HIDDEN, owner) {}
  bool visibleDuringInit = true;
  bool visibleWhileRunning = false;
  bool activeWhileRunning = false;
  bool foregroundWhileRunning = false;

protected:
  BOOL OnInitDialog() override {
    visibleDuringInit = IsWindowVisible();
    ModifyStyle(0, DS_SETFOREGROUND);
    ::SetTimer(m_hWnd, 1, 30, nullptr);
    return TRUE;
  }
  LRESULT OnTimer(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, 1);
    visibleWhileRunning = IsWindowVisible();
    activeWhileRunning = ::GetActiveWindow() == m_hWnd;
    foregroundWhileRunning = ::GetForegroundWindow() == m_hWnd;
    SendMessage(WM_CLOSE);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHiddenTemplateDialog, CDialog)
  ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()
}  // namespace

TEST(ModalDialog, ShowsAHiddenTemplateOnceInitialisedInTheForeground) {
  CTestHost owner;
  ASSERT_TRUE(owner.Open(200, 100, 400, 300));
  CTestHost other;  // another window holds the foreground when the dialog starts
  ASSERT_TRUE(other.Open(700, 100, 200, 100));
  ASSERT_EQ(::GetForegroundWindow(), other.m_hWnd);

  CHiddenTemplateDialog dialog(&owner);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_FALSE(dialog.visibleDuringInit) << "shown only after OnInitDialog has set it up";
  EXPECT_TRUE(dialog.visibleWhileRunning);
  EXPECT_TRUE(dialog.activeWhileRunning);
  EXPECT_TRUE(dialog.foregroundWhileRunning);
  EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}
