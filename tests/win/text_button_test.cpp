// The text button (link) in a real window: measuring, painting on the screen in the colour
// of its state, real hover and clicks.
#include "controls/text_button.h"

#include <gtest/gtest.h>

#include "control_test_support.h"
#include "controls/scaling.h"

namespace {

constexpr UINT kLicenceId = 10004;
constexpr UINT kRetryId = 10008;

int Scaled(int value) { return ScaleToDpi(value, HarnessDpi()); }

// A link set up as the installer sets it up, before it is measured and moved.
struct LinkLook {
  const wchar_t* text;
  UINT id;
  int fontHeight;  // at 96 DPI; also the control's height
  COLORREF colours[4];
};

const LinkLook kLicence{L"许可协议", kLicenceId, 17,
                        {RGB(240, 181, 183), RGB(231, 75, 63), RGB(231, 75, 63), RGB(102, 102, 102)}};
const LinkLook kRetry{L"重试？", kRetryId, 20,
                      {RGB(0, 149, 255), RGB(47, 152, 255), RGB(47, 152, 255), RGB(102, 102, 102)}};

class TextButtonTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    // A pointer left on a new control by an earlier test would hover it at once.
    MovePointerAway(host);
  }

  // Creates `link` at (20, 40) with a generous width, as the installer does.
  void CreateLink(CTextButtonEx& link, const LinkLook& look) {
    ASSERT_TRUE(link.Create(look.text, 0x50020100, CRect(20, 40, 320, 40 + Scaled(look.fontHeight)),
                            &host, look.id));
    std::copy(std::begin(look.colours), std::end(look.colours), link.m_crText);
    link.SetFontHeight(Scaled(look.fontHeight));
  }

  // Lets the window system settle, repaints the host and then its children at once, and
  // copies what the link shows.
  void Show(CTextButtonEx& link, const PixelSurface& surface) {
    PumpFor(100);
    ::RedrawWindow(host.m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CRect client;
    link.GetClientRect(&client);
    CaptureClient(link, surface, client.Width(), client.Height());
  }

  CTestHost host;
};

// Where the link's text is inked, against the host's plain background.
InkFound TextInk(const PixelSurface& surface, const RECT& area, COLORREF background) {
  return FindInk(surface, area, [background](COLORREF c) { return !ColourNear(c, background, 8); });
}

}  // namespace

TEST_F(TextButtonTest, StartsWithWhiteTextInTheScaledDefaultFont) {
  CTextButtonEx link;
  EXPECT_EQ(link.GetFontHeight(), Scaled(14));
  for (COLORREF colour : link.m_crText) EXPECT_EQ(colour, RGB(255, 255, 255));
  EXPECT_EQ(link.m_nState, STATE_NORMAL);
  EXPECT_TRUE(link.m_bEnabled);
  EXPECT_STREQ(link.GetRuntimeClass()->m_lpszClassName, "CTextButtonEx");
}

TEST_F(TextButtonTest, MeasuredSizeIsTheTextWidthAndTheClientHeightAndShowsTheWholeText) {
  CTextButtonEx link;
  CreateLink(link, kLicence);
  const CSize measured = link.MeasureText();
  EXPECT_EQ(measured.cy, Scaled(17));

  const int wide = 300;
  PixelSurface before(wide, measured.cy, RGB(0, 0, 0));
  Show(link, before);
  const COLORREF background = before.At(wide - 1, 0);
  const InkFound ink = TextInk(before, CRect(0, 0, wide, measured.cy), background);
  ASSERT_GT(ink.count, 0) << "the link shows no text";
  EXPECT_LE(ink.bounds.right, measured.cx) << "text inked beyond the measured width";
  EXPECT_GT(ink.bounds.right, measured.cx - Scaled(4)) << "measured width far wider than the text";

  // Shrunk to the measured size, the link still shows every column of its text.
  link.MoveWindow(20, 40, measured.cx, measured.cy);
  PixelSurface after(measured.cx, measured.cy, RGB(0, 0, 0));
  Show(link, after);
  for (int y = 0; y < measured.cy; ++y) {
    for (int x = 0; x < measured.cx; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << ", " << y;
  }

  // A new font changes the width only; the height stays the control's.
  link.SetFontHeight(Scaled(40));
  const CSize larger = link.MeasureText();
  EXPECT_GT(larger.cx, 2 * measured.cx);
  EXPECT_EQ(larger.cy, measured.cy);
}

TEST_F(TextButtonTest, HoverTurnsTheTextToTheHoverColourAndLeaveTurnsItBack) {
  for (const LinkLook* look : {&kLicence, &kRetry}) {
    SCOPED_TRACE(testing::Message() << "link " << look->id);
    CTextButtonEx link;
    CreateLink(link, *look);
    const CSize size = link.MeasureText();
    link.MoveWindow(20, 40, size.cx, size.cy);
    PixelSurface surface(size.cx, size.cy, RGB(0, 0, 0));
    Show(link, surface);

    // A pixel fully inside a stroke of the text shows exactly the text colour.
    const InkFound stroke = FindInk(surface, CRect(0, 0, size.cx, size.cy),
                                    [&](COLORREF c) { return ColourNear(c, look->colours[0], 2); });
    ASSERT_GT(stroke.count, 0) << "no text in the idle colour";
    POINT probe{};
    for (int y = 0; y < size.cy && !probe.x; ++y) {
      for (int x = 0; x < size.cx; ++x) {
        if (ColourNear(surface.At(x, y), look->colours[0], 2)) { probe = {x, y}; break; }
      }
    }

    HoverOver(link);
    ASSERT_TRUE(PumpUntil([&] { return link.m_nState == STATE_HOVER; }, kGestureWaitMs)) << "no hover";
    link.UpdateWindow();
    CaptureClient(link, surface, size.cx, size.cy);
    EXPECT_TRUE(ColourNear(surface.At(probe.x, probe.y), look->colours[1], 4));

    MovePointerAway(host);
    ASSERT_TRUE(PumpUntil([&] { return link.m_nState == STATE_NORMAL; }, kGestureWaitMs)) << "no leave";
    link.UpdateWindow();
    CaptureClient(link, surface, size.cx, size.cy);
    EXPECT_TRUE(ColourNear(surface.At(probe.x, probe.y), look->colours[0], 4));
  }
  EXPECT_TRUE(host.commands.empty());
}
