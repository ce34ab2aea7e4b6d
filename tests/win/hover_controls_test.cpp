// The mouse as every button-like control meets it, in a real window with real input: hover,
// press, release and leave, a press dragged off, and the owner's disabling. One typed test
// over the four controls, each set up as the installer sets it up.
#include <gtest/gtest.h>

#include <type_traits>

#include "control_test_support.h"
#include "controls/check_box.h"
#include "controls/image_button.h"
#include "controls/image_text_button.h"
#include "controls/scaling.h"
#include "controls/text_button.h"
#include "res/resource.h"

namespace {

// How the installer makes each control. A link reports its click on the press (a static's
// notification); the buttons report theirs on the release.
template <class T>
struct Kit;

template <>
struct Kit<CImageButtonEx> {
  static constexpr UINT kId = 10001;
  static constexpr bool kClicksOnPress = false;
  static bool Make(CImageButtonEx& c, CWnd& host) {
    if (!c.Create(L"关闭", 0x50000200, CRect(50, 40, 50, 40), &host, kId)) return false;
    c.SetImage(IDB_PNG_CLOSE);
    return true;
  }
};

template <>
struct Kit<CImageTextButtonEx> {
  static constexpr UINT kId = 10002;
  static constexpr bool kClicksOnPress = false;
  static bool Make(CImageTextButtonEx& c, CWnd& host) {
    if (!c.Create(L"安装", 0x50000200, CRect(20, 40, 20, 40), &host, kId)) return false;
    c.SetImage(IDB_PNG_INSTALL_BUTTON);
    return true;
  }
};

template <>
struct Kit<CCheckBoxEx> {
  static constexpr UINT kId = 10003;
  static constexpr bool kClicksOnPress = false;
  static bool Make(CCheckBoxEx& c, CWnd& host) {
    if (!c.Create(L"已阅读并同意许可协议", 0x50000202, CRect(20, 40, 20, 40), &host, kId))
      return false;
    c.SetImage();
    return true;
  }
};

template <>
struct Kit<CTextButtonEx> {
  static constexpr UINT kId = 10004;
  static constexpr bool kClicksOnPress = true;
  static bool Make(CTextButtonEx& c, CWnd& host) {
    const int height = ScaleToDpi(17, HarnessDpi());
    if (!c.Create(L"许可协议", 0x50020100, CRect(20, 40, 320, 40 + height), &host, kId)) return false;
    c.SetFontHeight(height);
    return true;
  }
};

template <class T>
class HoverControlTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    // A pointer left on a new control by an earlier test would hover it at once.
    MovePointerAway(host);
    ASSERT_TRUE(Kit<T>::Make(control, host));
    PumpFor(30);
  }

  bool ReachesState(int state) {
    return PumpUntil([&] { return control.m_nState == state; }, kGestureWaitMs);
  }
  bool PumpUntilNormal() { return ReachesState(STATE_NORMAL); }
  bool Reported(std::size_t count) {
    return PumpUntil([&] { return host.commands.size() >= count; }, kGestureWaitMs);
  }
  // The check box's flag is its owner's: no gesture changes it.
  void FlagUntouched() {
    if constexpr (std::is_same_v<T, CCheckBoxEx>) {
      EXPECT_TRUE(control.m_bChecked) << "only the owner changes the flag";
    }
  }

  CTestHost host;
  T control;
};

using HoverControls = ::testing::Types<CImageButtonEx, CImageTextButtonEx, CCheckBoxEx, CTextButtonEx>;
TYPED_TEST_SUITE(HoverControlTest, HoverControls);

}  // namespace

TYPED_TEST(HoverControlTest, FollowsTheMouseAndReportsOneClick) {
  HoverOver(this->control);
  ASSERT_TRUE(this->ReachesState(STATE_HOVER)) << "no hover";
  MouseButton(true);
  ASSERT_TRUE(this->ReachesState(STATE_PRESSED));
  MouseButton(false);
  ASSERT_TRUE(this->Reported(1)) << "no click reported";
  // STN_CLICKED has BN_CLICKED's value, so the owner's ON_BN_CLICKED entry takes a link's too.
  EXPECT_EQ(this->host.commands[0],
            std::make_pair(static_cast<int>(Kit<TypeParam>::kId), static_cast<int>(BN_CLICKED)));
  EXPECT_TRUE(this->PumpUntilNormal()) << "a click ends in the normal look";

  HoverOver(this->control);
  ASSERT_TRUE(this->ReachesState(STATE_HOVER));
  MovePointerAway(this->host);
  EXPECT_TRUE(this->ReachesState(STATE_NORMAL)) << "no leave";
  PumpFor(50);
  EXPECT_EQ(this->host.commands.size(), 1u);
  this->FlagUntouched();
}

TYPED_TEST(HoverControlTest, PressDraggedOffAndReleasedReportsNothingMore) {
  HoverOver(this->control);
  ASSERT_TRUE(this->ReachesState(STATE_HOVER));
  MouseButton(true);
  ASSERT_TRUE(this->ReachesState(STATE_PRESSED));
  MovePointerAway(this->host);
  PumpFor(30);
  MouseButton(false);
  EXPECT_TRUE(this->ReachesState(STATE_NORMAL));
  PumpFor(100);
  // A link has reported its click on the press already; a button reports none.
  EXPECT_EQ(this->host.commands.size(), Kit<TypeParam>::kClicksOnPress ? 1u : 0u);
  this->FlagUntouched();
}

TYPED_TEST(HoverControlTest, WhenDisabledIgnoresTheMouseUntilTheOwnerEnablesIt) {
  this->control.SetEnabled(false);
  PumpFor(30);
  HoverOver(this->control);
  PumpFor(150);
  MouseButton(true);
  PumpFor(30);
  MouseButton(false);
  PumpFor(100);
  EXPECT_EQ(this->control.m_nState, STATE_DISABLED);
  EXPECT_TRUE(this->host.commands.empty());
  EXPECT_EQ(::GetCapture(), nullptr) << "the swallowed press must not capture the mouse";
  this->FlagUntouched();

  this->control.SetEnabled(true);
  MovePointerAway(this->host);
  PumpFor(static_cast<int>(::GetDoubleClickTime()) + 50);  // not a double click
  HoverOver(this->control);
  ASSERT_TRUE(this->ReachesState(STATE_HOVER));
  MouseButton(true);
  PumpFor(30);
  MouseButton(false);
  EXPECT_TRUE(this->Reported(1));
}
