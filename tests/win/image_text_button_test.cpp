// The image-and-text button in a real window: size per DPI, frame and caption per state,
// real mouse input.
#include "controls/image_text_button.h"

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/scaling.h"
#include "res/resource.h"

namespace {

constexpr UINT kInstallId = 10002;
constexpr UINT kChangeId = 10005;
constexpr COLORREF kRed = RGB(231, 75, 63);
constexpr COLORREF kBlue = RGB(0, 0, 255);

int Scaled(int value) { return ScaleToDpi(value, HarnessDpi()); }

class ImageTextButtonTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    // A pointer left on a new control by an earlier test would hover it at once.
    MovePointerAway(host);
    // The installer's install button: red caption in every state, default font height.
    ASSERT_TRUE(install.Create(L"安装", 0x50000200, CRect(20, 40, 20, 40), &host, kInstallId));
    install.SetImage(IDB_PNG_INSTALL_BUTTON);
    for (COLORREF& colour : install.m_crText) colour = kRed;
  }

  // The face of a drawn button, inside its outline and its rounded ends.
  static CRect Face(const CButton& button) {
    CRect client;
    button.GetClientRect(&client);
    return {client.Height() / 2, Scaled(4), client.Width() - client.Height() / 2,
            client.Height() - Scaled(4)};
  }

  CTestHost host;
  CImageTextButtonEx install;
};

}  // namespace

TEST_F(ImageTextButtonTest, TakesOneFrameAtTheScreenDpiAndKeepsItsPlace) {
  CRect client;
  install.GetClientRect(&client);
  EXPECT_EQ(client.Width(), Scaled(160));  // 160 x 40 at 96 DPI, 240 x 60 at 144 DPI
  EXPECT_EQ(client.Height(), Scaled(160) / 4);
  CRect window;
  install.GetWindowRect(&window);
  host.ScreenToClient(&window);
  EXPECT_EQ(window.TopLeft().x, 20);
  EXPECT_EQ(window.TopLeft().y, 40);
  EXPECT_EQ(install.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_STREQ(install.GetRuntimeClass()->m_lpszClassName, "CImageTextButtonEx");

  CImageTextButtonEx change;
  ASSERT_TRUE(change.Create(L"更改", 0x50000200, CRect(20, 150, 20, 150), &host, kChangeId));
  EXPECT_EQ(change.m_nFontHeight, Scaled(28));
  for (COLORREF colour : change.m_crText) EXPECT_EQ(colour, RGB(255, 255, 255));
  change.SetImage(IDB_PNG_CHANGE_BUTTON);
  change.GetClientRect(&client);
  EXPECT_EQ(client.Width(), Scaled(74));  // 74 x 32 at 96 DPI, 111 x 48 at 144 DPI
  EXPECT_EQ(client.Height(), Scaled(128) / 4);

  // A picture that is not there changes neither the size nor what is drawn.
  install.SetImage(9999);
  install.GetClientRect(&client);
  EXPECT_EQ(client.Width(), Scaled(160));
}

TEST_F(ImageTextButtonTest, DrawsTheFrameOfItsStateWithTheCaptionCentred) {
  const int width = Scaled(160), height = Scaled(40);
  const COLORREF outline[] = {kRed, kRed, RGB(191, 61, 51), RGB(197, 205, 223)};
  const COLORREF face[] = {RGB(255, 255, 255), RGB(255, 243, 243), RGB(255, 234, 232),
                           RGB(255, 255, 255)};
  for (int state = STATE_NORMAL; state <= STATE_DISABLED; ++state) {
    SCOPED_TRACE(state);
    install.m_nState = state;
    PixelSurface surface(width, height, kBlue);
    DrawInto(install, surface.dc());
    EXPECT_EQ(surface.At(0, 0), kBlue) << "the pill's corner shows what was beneath";
    EXPECT_EQ(NearestColour(surface.At(width / 2, 0), {outline[0], outline[2], outline[3]}),
              outline[state]);
    EXPECT_TRUE(ColourNear(surface.At(width / 4, height / 2), face[state]));

    const InkFound caption = FindInk(surface, Face(install), [](COLORREF c) { return ColourNear(c, kRed, 30); });
    ASSERT_GT(caption.count, Scaled(40)) << "no caption in the button's colour";
    EXPECT_NEAR((caption.bounds.left + caption.bounds.right) / 2.0, width / 2.0, 2.5);
    EXPECT_NEAR((caption.bounds.top + caption.bounds.bottom) / 2.0, height / 2.0, Scaled(4));
  }
}

TEST_F(ImageTextButtonTest, CaptionTakesTheColourOfItsStateAndTheFontHeightOfThePaint) {
  CImageTextButtonEx change;
  ASSERT_TRUE(change.Create(L"更改", 0x50000200, CRect(20, 150, 20, 150), &host, kChangeId));
  change.SetImage(IDB_PNG_CHANGE_BUTTON);
  change.m_nFontHeight = Scaled(20);
  const COLORREF colours[] = {RGB(68, 68, 68), kRed, RGB(0, 149, 255), RGB(40, 170, 90)};
  std::copy(std::begin(colours), std::end(colours), change.m_crText);
  CRect client;
  change.GetClientRect(&client);
  const CRect inside(Scaled(2), Scaled(2), client.Width() - Scaled(2), client.Height() - Scaled(2));

  for (int state = STATE_NORMAL; state <= STATE_DISABLED; ++state) {
    SCOPED_TRACE(state);
    change.m_nState = state;
    PixelSurface surface(client.Width(), client.Height(), kBlue);
    DrawInto(change, surface.dc());
    for (int other = STATE_NORMAL; other <= STATE_DISABLED; ++other) {
      const InkFound ink = FindInk(surface, inside, [&](COLORREF c) { return ColourNear(c, colours[other], 12); });
      if (other == state) {
        EXPECT_GT(ink.count, Scaled(20));
      } else {
        EXPECT_EQ(ink.count, 0) << "colour of state " << other << " drawn";
      }
    }
  }

  // The font is made at each paint: a new height shows at once.
  const auto captionHeight = [&](int fontHeight) {
    change.m_nState = STATE_NORMAL;
    change.m_nFontHeight = fontHeight;
    PixelSurface surface(client.Width(), client.Height(), kBlue);
    DrawInto(change, surface.dc());
    const InkFound ink = FindInk(surface, inside, [&](COLORREF c) { return ColourNear(c, colours[0], 60); });
    EXPECT_NEAR((ink.bounds.left + ink.bounds.right) / 2.0, client.Width() / 2.0, 2.5);
    return ink.bounds.Height();
  };
  EXPECT_GT(captionHeight(Scaled(28)), captionHeight(Scaled(14)) + Scaled(6));
}

TEST_F(ImageTextButtonTest, WithoutAPictureDrawsNothingAtAll) {
  CImageTextButtonEx bare;
  ASSERT_TRUE(bare.Create(L"安装", 0x50000200, CRect(20, 150, 100, 190), &host, kChangeId));
  bare.SetImage(9999);
  bare.m_crText[0] = kRed;
  PixelSurface surface(80, 40, kBlue);
  DrawInto(bare, surface.dc());
  EXPECT_EQ(FindInk(surface, CRect(0, 0, 80, 40), [](COLORREF c) { return c != kBlue; }).count, 0);
}
