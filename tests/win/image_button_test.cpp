// The image button in a real window: size per DPI and frames per state (the mouse:
// hover_controls_test.cpp).
#include "controls/image_button.h"

#include <gtest/gtest.h>

#include "controls/scaling.h"
#include "gdiplus_fixture.h"
#include "res/resource.h"
#include "window_test_support.h"

namespace {

constexpr UINT kButtonId = 10001;

class ImageButtonTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    ASSERT_TRUE(button.Create(L"", 0x50000200, CRect(50, 40, 50, 40), &host, kButtonId));
  }

  CTestHost host;
  CImageButtonEx button;
};

int ScaledFrame() { return ScaleToDpi(14, HarnessDpi()); }

}  // namespace

TEST_F(ImageButtonTest, TakesOneFrameAtTheScreenDpiAndKeepsItsPlace) {
  button.SetImage(IDB_PNG_CLOSE);
  CRect client;
  button.GetClientRect(&client);
  EXPECT_EQ(client.Width(), ScaledFrame());   // 14 at 96 DPI, 21 at 144 DPI
  EXPECT_EQ(client.Height(), ScaledFrame());
  CRect window;
  button.GetWindowRect(&window);
  host.ScreenToClient(&window);
  EXPECT_EQ(window.TopLeft().x, 50);
  EXPECT_EQ(window.TopLeft().y, 40);
  EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_STREQ(button.GetRuntimeClass()->m_lpszClassName, "CImageButtonEx");
}

TEST_F(ImageButtonTest, DrawsTheFrameOfItsStateOverItsBackgroundColour) {
  button.SetImage(IDB_PNG_CLOSE_WHITE);
  button.m_crBackground = RGB(231, 75, 63);
  const int size = ScaledFrame();
  const COLORREF crossColour[] = {RGB(255, 255, 255), RGB(246, 189, 194), RGB(152, 35, 35),
                                  RGB(198, 205, 223)};
  for (int state = STATE_NORMAL; state <= STATE_DISABLED; ++state) {
    SCOPED_TRACE(state);
    button.m_nState = state;
    PixelSurface surface(size, size, RGB(0, 0, 255));
    DrawInto(button, surface.dc());
    EXPECT_TRUE(ColourNear(surface.At(size / 2, size / 2), crossColour[state], 12));
    // Transparent pixels show the button's own background, never what was beneath.
    EXPECT_EQ(surface.At(0, 0), RGB(231, 75, 63));
    EXPECT_EQ(surface.At(size - 1, size / 2), RGB(231, 75, 63));
  }
}

TEST_F(ImageButtonTest, WithoutAPictureDrawsAPlainBackgroundAtItsCreatedSize) {
  button.SetImage(9999);
  CRect client;
  button.GetClientRect(&client);
  EXPECT_EQ(client.Width(), 0);
  button.MoveWindow(50, 40, 30, 20);
  button.m_crBackground = RGB(10, 200, 30);
  PixelSurface surface(30, 20, RGB(0, 0, 255));
  DrawInto(button, surface.dc());
  for (POINT p : {POINT{0, 0}, POINT{15, 10}, POINT{29, 19}}) EXPECT_EQ(surface.At(p.x, p.y), RGB(10, 200, 30));
}
