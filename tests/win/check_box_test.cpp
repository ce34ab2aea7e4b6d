// The agreement check box in a real window: size per DPI, the cell for each state and
// flag, real mouse input, and a flag that only its owner changes.
#include "controls/check_box.h"

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/scaling.h"

namespace {

constexpr UINT kAgreeId = 10003;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPale = RGB(224, 203, 203);
constexpr COLORREF kRedOutline = RGB(232, 142, 146);
constexpr COLORREF kGrey = RGB(228, 228, 228);
constexpr COLORREF kGreenTick = RGB(40, 170, 90);
constexpr COLORREF kGreyTick = RGB(184, 184, 184);

// The drawn pixel that shows pixel `p` (x or y) of the 14 x 14 cell at this run's DPI.
int CellPixel(int p) { return (2 * p + 1) * HarnessDpi() / (2 * kDesignDpi); }

class CheckBoxTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    // A pointer left on a new control by an earlier test would hover it at once.
    MovePointerAway(host);
    // As the installer creates it: a caption that is never drawn, BS_CHECKBOX.
    ASSERT_TRUE(box.Create(L"已阅读并同意许可协议", 0x50000202, CRect(20, 40, 20, 40), &host, kAgreeId));
    box.SetImage();
  }

  // Presses and releases the real mouse button on the box, after a hover.
  void ClickOnBox() {
    HoverOver(box);
    ASSERT_TRUE(PumpUntil([&] { return box.m_nState == STATE_HOVER; }, 1000)) << "no hover";
    MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return box.m_nState == STATE_PRESSED; }, 1000));
    MouseButton(false);
  }

  CTestHost host;
  CCheckBoxEx box;
};

}  // namespace

TEST_F(CheckBoxTest, IsOneCellAtTheScreenDpiAndStartsChecked) {
  CRect client;
  box.GetClientRect(&client);
  EXPECT_EQ(client.Width(), ScaleToDpi(28, HarnessDpi()) / 2);  // 14 at 96 DPI, 21 at 144 DPI
  EXPECT_EQ(client.Height(), ScaleToDpi(56, HarnessDpi()) / 4);
  CRect window;
  box.GetWindowRect(&window);
  host.ScreenToClient(&window);
  EXPECT_EQ(window.TopLeft().x, 20);
  EXPECT_EQ(window.TopLeft().y, 40);
  EXPECT_EQ(box.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_STREQ(box.GetRuntimeClass()->m_lpszClassName, "CCheckBoxEx");
  EXPECT_TRUE(box.m_bChecked);
  EXPECT_TRUE(box.m_bEnabled);
  EXPECT_EQ(box.m_nState, STATE_NORMAL);
}

TEST_F(CheckBoxTest, DrawsTheCellOfItsStateInTheColumnOfItsFlag) {
  CRect client;
  box.GetClientRect(&client);
  const COLORREF outline[] = {kPale, kRedOutline, kRedOutline, kGrey};
  for (BOOL checked : {FALSE, TRUE}) {
    for (int state = STATE_NORMAL; state <= STATE_DISABLED; ++state) {
      SCOPED_TRACE(testing::Message() << "checked " << checked << ", state " << state);
      box.SetChecked(checked);
      box.m_nState = state;
      // The pressed row previews the click: a tick when unchecked, an empty box when checked.
      const bool ticked = (checked != FALSE) != (state == STATE_PRESSED);
      const COLORREF tick = state == STATE_DISABLED ? kGreyTick : kGreenTick;

      PixelSurface onWhite(client.Width(), client.Height(), kWhite);
      DrawInto(box, onWhite.dc());
      EXPECT_EQ(NearestColour(onWhite.At(CellPixel(7), CellPixel(12)), {kPale, kRedOutline, kGrey}),
                outline[state]);

      // Nothing is filled first: an empty box shows what was beneath it.
      PixelSurface onBlue(client.Width(), client.Height(), kBlue);
      DrawInto(box, onBlue.dc());
      EXPECT_EQ(onBlue.At(0, 0), kBlue);
      EXPECT_EQ(NearestColour(onBlue.At(CellPixel(4), CellPixel(10)), {kWhite, kBlue}),
                ticked ? kWhite : kBlue);
      EXPECT_EQ(NearestColour(onBlue.At(CellPixel(8), CellPixel(7)), {kGreenTick, kGreyTick, kWhite, kBlue}),
                ticked ? tick : kBlue);
    }
  }
}

TEST_F(CheckBoxTest, ReportsTheClickAndLeavesTheFlagToItsOwner) {
  PumpFor(30);
  ClickOnBox();
  ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }, 1000)) << "no click reported";
  EXPECT_EQ(host.commands[0], std::make_pair(static_cast<int>(kAgreeId), static_cast<int>(BN_CLICKED)));
  EXPECT_TRUE(box.m_bChecked) << "only the owner changes the flag";
  EXPECT_EQ(box.m_nState, STATE_NORMAL);

  // The owner's flip, then a second click: the flag stays where the owner put it. The wait
  // keeps the platform from taking the second click as a double click.
  box.SetChecked(false);
  box.Invalidate();
  PumpFor(static_cast<int>(::GetDoubleClickTime()) + 50);
  ClickOnBox();
  ASSERT_TRUE(PumpUntil([&] { return host.commands.size() == 2; }, 1000));
  EXPECT_FALSE(box.m_bChecked);
}
