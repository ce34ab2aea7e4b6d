// The progress bar in real windows: size per DPI, the fill per position, and positions
// written by a worker thread while the UI thread paints.
#include "controls/progress_bar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "controls/scaling.h"
#include "gdiplus_fixture.h"
#include "screen_capture.h"
#include "window_test_support.h"

namespace {

constexpr COLORREF kRed = RGB(231, 75, 63);
constexpr COLORREF kGrey = RGB(233, 233, 233);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);

int BarWidth() { return ScaleToDpi(520, HarnessDpi()); }
int BarHeight() { return ScaleToDpi(10, HarnessDpi()); }

class ProgressBarTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 900, 200));
    ASSERT_TRUE(bar.Create(L"", 0x50000200, CRect(40, 30, 140, 68), &host, 10042));
  }

  // Checks the middle row of a drawn bar: red up to the fill's right edge, grey beyond,
  // white in the transparent corners.
  static void ExpectFillEndsAt(const PixelSurface& surface, int fillRight) {
    const int w = BarWidth(), mid = BarHeight() / 2;
    EXPECT_EQ(surface.At(0, 0), kWhite);
    EXPECT_EQ(surface.At(w - 1, 0), kWhite);
    if (fillRight > 0) {
      EXPECT_TRUE(ColourNear(surface.At(fillRight / 2, mid), kRed, 8));
      EXPECT_TRUE(ColourNear(surface.At(fillRight - 2, mid), kRed, 24));
    }
    if (fillRight < w) {
      EXPECT_TRUE(ColourNear(surface.At(fillRight + 1, mid), kGrey, 24));
      EXPECT_TRUE(ColourNear(surface.At((fillRight + w) / 2, mid), kGrey, 8));
    }
  }

  CTestHost host;
  CProgressCtrlEx bar;
};

}  // namespace

TEST_F(ProgressBarTest, TakesTheTracksSizeAtTheScreenDpiInPlace) {
  EXPECT_EQ(bar.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  bar.LoadImages();
  CRect client;
  bar.GetClientRect(&client);
  EXPECT_EQ(client.Width(), BarWidth());  // 520 x 10 at 96 DPI, 780 x 15 at 144 DPI
  EXPECT_EQ(client.Height(), BarHeight());
  EXPECT_EQ(bar.m_fWidth, static_cast<float>(BarWidth()));
  EXPECT_EQ(bar.m_fHeight, static_cast<float>(BarHeight()));
  CRect window;
  bar.GetWindowRect(&window);
  host.ScreenToClient(&window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 30);
}

TEST_F(ProgressBarTest, CropsTheFillToThePositionsShare) {
  bar.LoadImages();
  struct Case {
    int pos;
    int fillRight;
  };
  // trunc(bar width x pos / 100): 0, 5, 234, 520 at 96 DPI; 0, 7, 351, 780 at 144 DPI.
  for (const Case c : {Case{0, 0}, Case{1, BarWidth() / 100}, Case{45, BarWidth() * 45 / 100},
                       Case{100, BarWidth()}}) {
    SCOPED_TRACE(c.pos);
    MoveBarTo(bar, c.pos);
    PixelSurface surface(BarWidth(), BarHeight(), kBlue);
    DrawInto(bar, surface.dc());
    ExpectFillEndsAt(surface, c.fillRight);
  }
}

TEST_F(ProgressBarTest, DrawsNothingWithoutPicturesAndNoFillForAnEmptyRange) {
  bar.MoveWindow(40, 30, 100, 10);
  PixelSurface untouched(100, 10, kBlue);
  MoveBarTo(bar, 50);
  DrawInto(bar, untouched.dc());
  EXPECT_EQ(untouched.At(0, 0), kBlue);
  EXPECT_EQ(untouched.At(50, 5), kBlue);

  bar.LoadImages();
  bar.m_nLower = bar.m_nUpper = 100;
  PixelSurface surface(BarWidth(), BarHeight(), kBlue);
  DrawInto(bar, surface.dc());
  ExpectFillEndsAt(surface, 0);
}

TEST_F(ProgressBarTest, ShowsTheLastPositionAWorkerWroteWhileTheWindowPainted) {
  bar.LoadImages();
  PumpFor(20);
  const HWND window = bar.m_hWnd;
  std::atomic<bool> done{false};
  // Like the download and install workers: write the position, invalidate the handle,
  // never touch the window object.
  std::thread worker([&] {
    for (int round = 0; round < 40; ++round) {
      for (int pos = 0; pos <= 100; ++pos) {
        MoveBarTo(bar, pos);
        ::InvalidateRect(window, nullptr, TRUE);
      }
    }
    MoveBarTo(bar, 45);
    ::InvalidateRect(window, nullptr, TRUE);
    done = true;
  });
  const bool finished = PumpUntil([&] { return done.load(); }, 20000);
  worker.join();
  ASSERT_TRUE(finished);
  PumpFor(50);

  const auto shown = CaptureClient(bar);
  ExpectFillEndsAt(*shown, BarWidth() * 45 / 100);

  // Another writer moves the bar between one writer's look and its move (the download's
  // notifications and the watchdog, say): the first writer's older, smaller value must not
  // be put back.
  MoveBarTo(bar, 10);
  const auto forwards = [](std::int64_t to) {
    return [to](std::int64_t now) { return to > now ? std::optional(to) : std::nullopt; };
  };
  bool interrupted = false;
  bar.Advance([&](std::int64_t now) {
    if (!interrupted) {
      interrupted = true;
      bar.Advance(forwards(60));
    }
    return forwards(30)(now);
  });
  EXPECT_EQ(bar.m_nPos.load(), 60);
}
