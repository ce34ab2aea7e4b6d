// The label in real windows: its look, its measure, and the one background snapshot.
#include "controls/label.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controls/scaling.h"
#include "gdiplus_fixture.h"
#include "screen_capture.h"
#include "window_test_support.h"

namespace {

// A host that paints a solid colour, or, without one, a pattern in which every pixel tells
// where it is: red = x, green = y (both modulo 256), blue = `tag`.
class CPaintedHost : public CTestHost {
public:
  COLORREF solid = CLR_INVALID;
  BYTE tag = 100;

  COLORREF PatternAt(int x, int y) const { return RGB(x & 0xFF, y & 0xFF, tag); }

protected:
  void OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client.Width() * client.Height()));
    for (int y = 0; y < client.Height(); ++y) {
      for (int x = 0; x < client.Width(); ++x) {
        const COLORREF c = solid != CLR_INVALID ? solid : PatternAt(x, y);
        pixels[y * client.Width() + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.Width();
    info.bmiHeader.biHeight = -client.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc.m_hDC, 0, 0, client.Width(), client.Height(), 0, 0, 0,
                        client.Height(), pixels.data(), &info, DIB_RGB_COLORS);
  }
  BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedHost, CTestHost)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

constexpr wchar_t kText[] = L"安装到：Inkvane";

// The width of `text` in the label's face at cell height `height`, measured independently.
int ReferenceWidth(const wchar_t* text, int height) {
  const HFONT font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                   DEFAULT_QUALITY, FF_SWISS, L"Microsoft YaHei");
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(screen, font);
  SIZE size{};
  ::GetTextExtentPoint32W(screen, text, lstrlenW(text), &size);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(font);
  return size.cx;
}

// Asks `label` to erase its background into a blue surface; returns the handler's result.
LRESULT EraseInto(CStaticEx& label, PixelSurface& surface) {
  return label.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()));
}

class LabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_bSnapshotPending = true;
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
  }
  void TearDown() override { g_bSnapshotPending = true; }

  CPaintedHost host;
};

}  // namespace

TEST_F(LabelTest, DrawsInDarkGreyYaHeiTwentyPixelsHighAtAnyDpi) {
  host.solid = RGB(255, 255, 255);
  g_bSnapshotPending = false;  // no label of this test keeps a background
  CStaticEx label, empty;
  ASSERT_TRUE(label.Create(kText, 0x50020000, CRect(10, 10, 310, 50), &host, 10021));
  ASSERT_TRUE(empty.Create(L"", 0x50020000, CRect(10, 60, 310, 100), &host, 10022));
  RepaintNow(host);
  PumpFor(20);

  const auto shown = CaptureClient(label);
  EXPECT_TRUE(ColourNear(DarkestIn(*shown, {0, 0, 300, 20}), RGB(60, 60, 60), 12));
  // A 20-pixel cell, not DPI-scaled: nothing is drawn below it in the 40-pixel label.
  EXPECT_EQ(DarkestIn(*shown, {0, 20, 300, 40}), RGB(255, 255, 255));
  const int width = ReferenceWidth(kText, 20);
  ASSERT_LT(width, 290);
  EXPECT_EQ(DarkestIn(*shown, {width + 2, 0, 300, 40}), RGB(255, 255, 255)) << "one line from (0, 0)";

  const auto blank = CaptureClient(empty);
  EXPECT_EQ(DarkestIn(*blank, {0, 0, 300, 40}), RGB(255, 255, 255)) << "no text, no ink";
}

TEST_F(LabelTest, MeasuresTheTextInItsFontAndKeepsItsHeight) {
  CStaticEx label;
  ASSERT_TRUE(label.Create(kText, 0x50020000, CRect(0, 0, 300, 25), &host, 10023));
  CSize size;
  label.MeasureText(size);
  EXPECT_EQ(size.cx, ReferenceWidth(kText, 20));
  EXPECT_EQ(size.cy, 25);

  label.SetFontHeight(ScaleToDpi(22, HarnessDpi()));
  label.MeasureText(size);
  EXPECT_EQ(size.cx, ReferenceWidth(kText, ScaleToDpi(22, HarnessDpi())));
  EXPECT_EQ(size.cy, 25) << "the client height, whatever the font";
}

TEST_F(LabelTest, OnlyTheFirstLabelToPaintKeepsTheParentsPixels) {
  CStaticEx first, second;
  ASSERT_TRUE(second.Create(L"second", 0x40020000, CRect(30, 40, 130, 60), &host, 10024));
  ASSERT_TRUE(first.Create(L"first", 0x40020000, CRect(150, 70, 250, 90), &host, 10025));
  host.UpdateWindow();  // the parent paints while both labels are hidden
  first.ShowWindow(SW_SHOW);
  first.UpdateWindow();  // paints before `second`, though created after it
  second.ShowWindow(SW_SHOW);
  second.UpdateWindow();
  EXPECT_FALSE(g_bSnapshotPending);

  PixelSurface kept(100, 20, RGB(0, 0, 255));
  EXPECT_EQ(EraseInto(first, kept), 0);
  EXPECT_EQ(kept.At(0, 0), host.PatternAt(150, 70));
  EXPECT_EQ(kept.At(99, 19), host.PatternAt(249, 89));

  PixelSurface none(100, 20, RGB(0, 0, 255));
  EXPECT_EQ(EraseInto(second, none), 0);
  EXPECT_EQ(none.At(0, 0), RGB(0, 0, 255)) << "the second label's erase copies nothing";
  EXPECT_EQ(none.At(99, 19), RGB(0, 0, 255));

  // The snapshot is never taken again: a new parent picture leaves it as it was.
  const COLORREF before = host.PatternAt(150, 70);
  host.tag = 200;
  RepaintNow(host);
  PumpFor(20);
  EXPECT_EQ(EraseInto(first, kept), 0);
  EXPECT_EQ(kept.At(0, 0), before);
  EXPECT_EQ(EraseInto(second, none), 0);
  EXPECT_EQ(none.At(0, 0), RGB(0, 0, 255));
}

TEST_F(LabelTest, WaitsForTheParentToPaintBeneathItBeforeKeepingItsPixels) {
  CStaticEx label;
  ASSERT_TRUE(label.Create(L"early", 0x50020000, CRect(30, 40, 130, 60), &host, 10026));
  host.Invalidate(TRUE);
  label.UpdateWindow();  // the label paints while its parent's paint is still pending
  EXPECT_TRUE(g_bSnapshotPending);
  PixelSurface surface(100, 20, RGB(0, 0, 255));
  EraseInto(label, surface);
  EXPECT_EQ(surface.At(50, 10), RGB(0, 0, 255));

  // In the ordinary order of painting, parent first, the label then keeps what the parent drew.
  PumpFor(50);
  EXPECT_FALSE(g_bSnapshotPending);
  EraseInto(label, surface);
  EXPECT_EQ(surface.At(0, 0), host.PatternAt(30, 40));
  EXPECT_EQ(surface.At(99, 19), host.PatternAt(129, 59));
}
