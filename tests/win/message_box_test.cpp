// The message box run modally over a real owner, with a second thread acting as the user
// through real mouse and keyboard input while the box's own modal loop runs.
#include "controls/message_box.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "control_test_support.h"
#include "controls/scaling.h"
#include "modal_test_support.h"
#include "screen_capture.h"

namespace {

constexpr int kLabelId = 10100;
constexpr int kCloseId = 10110;
constexpr int kYesId = 10111;
constexpr int kNoId = 10112;
constexpr COLORREF kRed = RGB(231, 75, 63);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr wchar_t kQuestion[] = L"您确定中止安装吗？";
constexpr wchar_t kNotice[] = L"请选择本地磁盘路径进行安装";

int Scaled(int value) { return ScaleToDpi(value, HarnessDpi()); }

// A rectangle's edges (left, top, right, bottom), to compare and print.
std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
std::tuple<LONG, LONG, LONG, LONG> Edges(int x, int y, int width, int height) {
  return {x, y, x + width, y + height};
}

// A child window of the box as the user sees it.
struct Child {
  HWND hWnd = nullptr;
  int id = 0;
  CString text;
  CRect rect;  // in the box's client coordinates
};

std::vector<Child> ChildrenOf(const CWnd& box) {
  std::vector<Child> children;
  for (HWND child = ::GetWindow(box.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[128] = {};
    ::GetWindowTextW(child, text, 128);
    Child found{child, ::GetDlgCtrlID(child), text, {}};
    ::GetWindowRect(child, &found.rect);
    ::MapWindowPoints(nullptr, box.m_hWnd, reinterpret_cast<POINT*>(&found.rect), 2);
    children.push_back(found);
  }
  return children;
}

const Child* FindChild(const std::vector<Child>& children, int id, const wchar_t* text) {
  for (const Child& child : children)
    if (child.id == id && child.text == CString(text)) return &child;
  return nullptr;
}

class MessageBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(owner.Open(100, 100, Scaled(600), Scaled(400)));
    MovePointerAway(owner);  // off the place where the box will appear
    PumpFor(30);
  }

  ModalRun Run(CMessageBoxEx& box, const std::function<void()>& act) {
    return RunWithUser(owner, box, act);
  }

  // Clicks the box's control `id` for real.
  void ClickControl(CMessageBoxEx& box, int id) {
    HWND control = nullptr;
    owner.OnUiThread([&] { control = ::GetDlgItem(box.m_hWnd, id); });
    if (control) ClickAt(CentreOnScreen(control));
  }

  CModalOwner owner;
};

}  // namespace

TEST_F(MessageBoxTest, YesNoBoxOffersYesLeftAndNoRightAndOnlyYesYieldsOne) {
  std::vector<Child> children;
  CMessageBoxEx yes(kQuestion, 1, &owner);
  const ModalRun yesRun = Run(yes, [&] {
    owner.OnUiThread([&] { children = ChildrenOf(yes); });
    ClickControl(yes, kYesId);
  });
  ASSERT_TRUE(yesRun.shown);
  EXPECT_FALSE(yesRun.leftOpen) << "clicking 是 must end the box";
  EXPECT_EQ(yes.m_nResult, 1);

  ASSERT_EQ(children.size(), 5u);
  const Child* title = FindChild(children, kLabelId, L"提示");
  const Child* message = FindChild(children, kLabelId, kQuestion);
  const Child* close = FindChild(children, kCloseId, L"关闭");  // a caption never drawn
  const Child* yesButton = FindChild(children, kYesId, L"是");
  const Child* noButton = FindChild(children, kNoId, L"否");
  ASSERT_TRUE(title && message && close && yesButton && noButton);
  // Labels shrink to their text and keep the line height they were created with.
  EXPECT_EQ(Edges(title->rect), Edges(Scaled(20), Scaled(12), title->rect.Width(), Scaled(25)));
  EXPECT_GT(title->rect.Width(), Scaled(30));
  EXPECT_LT(title->rect.Width(), Scaled(60));
  // The message is centred over the 330 pixels that start 35 in.
  EXPECT_GT(message->rect.Width(), Scaled(150));
  EXPECT_EQ(Edges(message->rect), Edges((Scaled(330) - message->rect.Width()) / 2 + Scaled(35),
                                        Scaled(80), message->rect.Width(), Scaled(20)));
  EXPECT_EQ(Edges(close->rect), Edges(Scaled(366), Scaled(20), Scaled(14), Scaled(56) / 4));
  EXPECT_EQ(Edges(yesButton->rect), Edges(Scaled(168), Scaled(150), Scaled(96), Scaled(128) / 4));
  EXPECT_EQ(Edges(noButton->rect), Edges(Scaled(284), Scaled(150), Scaled(96), Scaled(128) / 4));

  CMessageBoxEx no(kQuestion, 1, &owner);
  const ModalRun noRun = Run(no, [&] { ClickControl(no, kNoId); });
  EXPECT_FALSE(noRun.leftOpen) << "clicking 否 must end the box";
  EXPECT_EQ(no.m_nResult, 0);
}

TEST_F(MessageBoxTest, NoticeHasOnlyAnOkButtonOnTheRight) {
  std::vector<Child> children;
  CMessageBoxEx notice(kNotice, 0, &owner);
  const ModalRun run = Run(notice, [&] {
    owner.OnUiThread([&] { children = ChildrenOf(notice); });
    ClickControl(notice, kNoId);
  });
  ASSERT_TRUE(run.shown);
  EXPECT_FALSE(run.leftOpen) << "clicking 好的 must end the box";
  EXPECT_EQ(notice.m_nResult, 0);

  ASSERT_EQ(children.size(), 4u) << "title, close button, message, one button";
  const Child* ok = FindChild(children, kNoId, L"好的");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(Edges(ok->rect), Edges(Scaled(284), Scaled(150), Scaled(96), Scaled(128) / 4));
}

TEST_F(MessageBoxTest, CloseButtonEnterEscAndAltF4EndTheBoxWithResultZero) {
  {
    CMessageBoxEx box(kQuestion, 1, &owner);
    const ModalRun run = Run(box, [&] { ClickControl(box, kCloseId); });
    EXPECT_FALSE(run.leftOpen) << "the close button must end the box";
    EXPECT_EQ(box.m_nResult, 0);
  }
  struct Way {
    const char* name;
    std::function<void()> press;
    INT_PTR returned;  // which of the framework's paths ended the box
  };
  const Way ways[] = {
      {"Enter", [] { PressKey(VK_RETURN); }, IDOK},
      {"Esc", [] { PressKey(VK_ESCAPE); }, IDCANCEL},
      {"Alt+F4", [] { SendKeys({{VK_MENU, true}, {VK_F4, true}, {VK_F4, false}, {VK_MENU, false}}); }, IDCANCEL},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    CMessageBoxEx box(kQuestion, 1, &owner);
    const ModalRun run = Run(box, way.press);
    ASSERT_TRUE(run.shown);
    EXPECT_FALSE(run.leftOpen) << "the key must end the box";
    EXPECT_EQ(run.returned, way.returned);
    EXPECT_EQ(box.m_nResult, 0);
  }
}

TEST_F(MessageBoxTest, RunsCentredOverItsDisabledOwnerInTheForeground) {
  CRect ownerRect;
  owner.GetWindowRect(&ownerRect);
  CRect boxRect;
  bool ownerEnabled = true;
  bool foreground = false;
  CMessageBoxEx box(kNotice, 0, &owner);
  const ModalRun run = Run(box, [&] {
    ownerEnabled = ::IsWindowEnabled(owner.m_hWnd);
    owner.OnUiThread([&] {
      box.GetWindowRect(&boxRect);
      foreground = ::GetForegroundWindow() == box.m_hWnd && (box.GetStyle() & DS_SETFOREGROUND);
    });
    PressKey(VK_ESCAPE);
  });
  ASSERT_TRUE(run.shown);
  EXPECT_FALSE(ownerEnabled) << "the owner takes no input while the box runs";
  EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd)) << "and gets it back afterwards";
  EXPECT_TRUE(foreground);
  // 400 x 200 at 96 DPI (600 x 300 at 144), 100 in from a 600 x 400 owner's left and top.
  EXPECT_EQ(boxRect.Width(), Scaled(400));
  EXPECT_EQ(boxRect.Height(), Scaled(200));
  EXPECT_EQ(boxRect.left - ownerRect.left, Scaled(100));
  EXPECT_EQ(boxRect.top - ownerRect.top, Scaled(100));
}

TEST_F(MessageBoxTest, PaintsAWhiteFaceInARedFrameUnderARedBand) {
  std::unique_ptr<PixelSurface> shot;
  std::vector<Child> children;
  CMessageBoxEx box(kQuestion, 1, &owner);
  const ModalRun run = Run(box, [&] {
    owner.OnUiThread([&] {
      RepaintNow(box);
      shot = CaptureClient(box);
      children = ChildrenOf(box);
    });
    PressKey(VK_ESCAPE);
  });
  ASSERT_TRUE(run.shown && shot);
  const int w = Scaled(400), h = Scaled(200), band = Scaled(44), y = Scaled(125);
  for (const POINT frame : {POINT{0, y}, POINT{w - 1, y}, POINT{w / 2, h - 1}, POINT{w - 1, band / 2},
                            POINT{Scaled(200), 0}, POINT{Scaled(200), band - 1}}) {
    EXPECT_TRUE(ColourNear(shot->At(frame.x, frame.y), kRed)) << frame.x << ", " << frame.y;
  }
  for (const POINT face : {POINT{1, y}, POINT{w - 2, y}, POINT{w / 2, h - 2}, POINT{Scaled(200), band}}) {
    EXPECT_TRUE(ColourNear(shot->At(face.x, face.y), kWhite)) << face.x << ", " << face.y;
  }

  // Each text in its colour, inside its own control: the inner part of a button's face.
  const auto inkIn = [&](int id, const wchar_t* text, COLORREF colour, int inset) {
    const Child* child = FindChild(children, id, text);
    if (!child) return -1;
    const CRect inner(child->rect.left + inset, child->rect.top + inset / 4,
                      child->rect.right - inset, child->rect.bottom - inset / 4);
    return FindInk(*shot, inner, [&](COLORREF c) { return ColourNear(c, colour, 20); }).count;
  };
  EXPECT_GT(inkIn(kLabelId, L"提示", kWhite, 0), Scaled(20)) << "white title on the band";
  EXPECT_GT(inkIn(kLabelId, kQuestion, RGB(60, 60, 60), 0), Scaled(60)) << "dark grey message";
  EXPECT_GT(inkIn(kYesId, L"是", RGB(102, 102, 102), Scaled(20)), Scaled(10)) << "grey 是";
  EXPECT_GT(inkIn(kNoId, L"否", kWhite, Scaled(20)), Scaled(10)) << "white 否 on red";
  const Child* close = FindChild(children, kCloseId, L"关闭");
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(ColourNear(shot->At(close->rect.left, close->rect.top), kRed)) << "the cross sits on red";
}

TEST_F(MessageBoxTest, DraggingByTheBandMovesTheBoxAndPressingBelowItDoesNot) {
  CRect start, afterLabelDrag, afterBandDrag, afterFaceDrag;
  CMessageBoxEx box(kQuestion, 1, &owner);
  const auto boxRect = [&](CRect& rect) { owner.OnUiThread([&] { box.GetWindowRect(&rect); }); };
  const auto drag = [](POINT from, int dx, int dy) {
    MouseMoveTo(from.x, from.y);
    ::Sleep(50);
    MouseButton(true);
    ::Sleep(100);
    MouseMoveTo(from.x + dx / 2, from.y + dy / 2);
    ::Sleep(50);
    MouseMoveTo(from.x + dx, from.y + dy);
    ::Sleep(100);
    MouseButton(false);
    ::Sleep(100);
  };
  const ModalRun run = Run(box, [&] {
    HWND title = nullptr;
    owner.OnUiThread([&] {
      const std::vector<Child> children = ChildrenOf(box);
      if (const Child* label = FindChild(children, kLabelId, L"提示")) title = label->hWnd;
    });
    if (!title) return;
    boxRect(start);
    drag(CentreOnScreen(title), 40, 30);  // the label lets the press through to the box
    boxRect(afterLabelDrag);
    drag({afterLabelDrag.left + Scaled(200), afterLabelDrag.top + Scaled(40)}, -25, 15);
    boxRect(afterBandDrag);
    drag({afterBandDrag.left + Scaled(200), afterBandDrag.top + Scaled(46)}, 30, 30);
    boxRect(afterFaceDrag);
    ClickControl(box, kCloseId);
  });
  ASSERT_TRUE(run.shown);
  EXPECT_FALSE(run.leftOpen);
  EXPECT_EQ(Edges(afterLabelDrag), Edges(start.left + 40, start.top + 30, start.Width(), start.Height()));
  EXPECT_EQ(Edges(afterBandDrag), Edges(afterLabelDrag.left - 25, afterLabelDrag.top + 15,
                                        start.Width(), start.Height()));
  EXPECT_EQ(Edges(afterFaceDrag), Edges(afterBandDrag)) << "a press below the band does not drag";
  EXPECT_EQ(box.m_nResult, 0);
}
