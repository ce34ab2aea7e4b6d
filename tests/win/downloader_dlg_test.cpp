// The installer window in a real window: its start on the Ready screen and every screen
// switch, including those requested by a worker thread.
#include "installer/downloader_dlg.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "controls/scaling.h"
#include "installer/control_ids.h"
#include "installer/messages.h"
#include "screen_capture.h"
#include "window_test_support.h"

namespace {


const Ids kReady = {IDC_CLOSE,      IDC_TITLE, IDC_INSTALL,    IDC_AGREE,     IDC_AGREE_TEXT,
                    IDC_LICENSE,    IDC_INSTALL_TO, IDC_INSTALL_DIR, IDC_CHANGE_DIR};
const Ids kInstalling = {IDC_CLOSE,        IDC_SMALL_TITLE,  IDC_FEATURE1,   IDC_FEATURE1 + 1,
                         IDC_FEATURE1 + 2, IDC_FEATURE1 + 3, IDC_INSTALLING, IDC_PROGRESS};
const Ids kFailed = {IDC_CLOSE,        IDC_SMALL_TITLE,  IDC_FEATURE1, IDC_FEATURE1 + 1,
                     IDC_FEATURE1 + 2, IDC_FEATURE1 + 3, IDC_PROGRESS, IDC_FAILED,
                     IDC_RETRY,        IDC_WEB_DOWNLOAD};
const Ids kFinished = {IDC_CLOSE, IDC_SMALL_TITLE, IDC_FINISHED, IDC_SLOGAN, IDC_RUN};
// What a retry leaves when the folder checks refuse: no status line, no links.
const Ids kRetryRefused = {IDC_CLOSE,        IDC_SMALL_TITLE,  IDC_FEATURE1, IDC_FEATURE1 + 1,
                           IDC_FEATURE1 + 2, IDC_FEATURE1 + 3, IDC_PROGRESS};

enum class Background { Ready, Installing, Finished };

class DownloaderDlgTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.Create());
    PumpFor(50);
  }

  // Which background shows, told by pixels only one picture has: the bullets of the
  // Installing picture and the product icon of the Ready one.
  Background ShownBackground() {
    dlg.UpdateWindow();
    PumpFor(50);
    const auto isRed = [&](int x, int y) {
      const HDC dc = ::GetDC(dlg.m_hWnd);
      const COLORREF c = ::GetPixel(dc, ScaleToDpi(x, HarnessDpi()), ScaleToDpi(y, HarnessDpi()));
      ::ReleaseDC(dlg.m_hWnd, dc);
      return GetRValue(c) > 200 && GetGValue(c) < 120 && GetBValue(c) < 120;
    };
    if (isRed(50, 99) || isRed(56, 93)) return Background::Installing;  // a blurb's bullet
    if (isRed(270, 84) || isRed(300, 110)) return Background::Ready;
    return Background::Finished;
  }

  // Pixels in the ring just outside the close button that are not white. The button fills
  // its square white, so anything else there shows as a box around the cross.
  int TintedPixelsAroundTheCloseButton() {
    RepaintNow(dlg);
    const auto shown = CaptureClient(dlg);
    CRect close;
    dlg.m_btnClose.GetWindowRect(&close);
    dlg.ScreenToClient(&close);
    int tinted = 0;
    for (int x = close.left - 1; x <= close.right; ++x) {
      for (int y = close.top - 1; y <= close.bottom; ++y) {
        const bool ring = x < close.left || x == close.right || y < close.top || y == close.bottom;
        if (ring && shown->At(x, y) != RGB(255, 255, 255)) ++tinted;
      }
    }
    return tinted;
  }

  CDownloaderDlg dlg;
};

}  // namespace

TEST_F(DownloaderDlgTest, StartsOnTheReadyScreenWithTheAgreementChecked) {
  KeepScreenshot(dlg, "screen-ready");
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kReady);
  EXPECT_EQ(ShownBackground(), Background::Ready);
  EXPECT_EQ(TintedPixelsAroundTheCloseButton(), 0);
  EXPECT_EQ(dlg.m_bInstallEnded, 0);
  EXPECT_NE(dlg.m_chkAgree.m_bChecked, 0);
  EXPECT_NE(dlg.m_btnInstall.m_bEnabled, 0);
  EXPECT_EQ(dlg.m_btnInstall.m_nState, STATE_NORMAL);
  EXPECT_EQ(dlg.m_progress.m_nPos, 0);
  CRect client;
  dlg.GetClientRect(&client);
  EXPECT_EQ(client.Width(), ScaleToDpi(600, HarnessDpi()));
  EXPECT_EQ(client.Height(), ScaleToDpi(400, HarnessDpi()));
  EXPECT_EQ(g_pDownloaderDlg, &dlg);
}

TEST_F(DownloaderDlgTest, ProposesTheDefaultFolderOnTheDesktopsDrive) {
  const std::wstring folder = dlg.m_szInstallDir;
  EXPECT_EQ(folder.substr(1), L":\\Program Files (x86)\\varnix\\QuilloMark");
  EXPECT_EQ(dlg.m_editInstallDir.m_edit.GetWindowText(), CString(dlg.m_szInstallDir))
      << "the folder field shows it";
}

TEST_F(DownloaderDlgTest, InstallThenFailThenRetryThenFinish) {
  dlg.ShowInstallingScreen();
  MoveBarTo(dlg.m_progress, 37);
  dlg.m_progress.Invalidate();
  KeepScreenshot(dlg, "screen-installing");
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kInstalling);
  EXPECT_EQ(ShownBackground(), Background::Installing);
  EXPECT_EQ(TintedPixelsAroundTheCloseButton(), 0);
  EXPECT_EQ(dlg.m_bInstallEnded, 0);

  dlg.ShowFailedScreen();
  KeepScreenshot(dlg, "screen-failed");
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kFailed);
  EXPECT_EQ(ShownBackground(), Background::Installing);
  EXPECT_EQ(dlg.m_bInstallEnded, 1);
  EXPECT_EQ(dlg.m_progress.m_nPos, 37) << "the bar keeps its last position";

  dlg.ClearFailedScreen();
  dlg.ShowInstallingScreen();
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kInstalling);
  EXPECT_EQ(dlg.m_progress.m_nPos, 0);
  EXPECT_EQ(dlg.m_bInstallEnded, 0);

  dlg.ShowFinishedScreen();
  KeepScreenshot(dlg, "screen-finished");
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kFinished);
  EXPECT_EQ(ShownBackground(), Background::Finished);
  EXPECT_EQ(TintedPixelsAroundTheCloseButton(), 0);
  EXPECT_EQ(dlg.m_bInstallEnded, 1);
}

TEST_F(DownloaderDlgTest, ARetryWhoseChecksFailLeavesTheBlurbsAndAnEmptyBar) {
  dlg.ShowInstallingScreen();
  MoveBarTo(dlg.m_progress, 60);
  dlg.ShowFailedScreen();
  dlg.ClearFailedScreen();  // the folder checks then refuse: nothing more happens
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kRetryRefused);
  EXPECT_EQ(ShownBackground(), Background::Installing);
  EXPECT_EQ(dlg.m_progress.m_nPos, 0);
}

TEST_F(DownloaderDlgTest, WorkerThreadsRequestSwitchesThatTheUiThreadRuns) {
  dlg.ShowInstallingScreen();
  const HWND window = dlg.m_hWnd;
  std::thread([window] { ::PostMessageW(window, WM_INSTALL_FAILED, 0, 0); }).join();
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kInstalling) << "nothing changes until the UI thread runs it";
  ASSERT_TRUE(PumpUntil([&] { return dlg.m_bInstallEnded == 1; }));
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kFailed);

  dlg.ClearFailedScreen();
  dlg.ShowInstallingScreen();
  std::thread([window] { ::PostMessageW(window, WM_INSTALL_FINISHED, 0, 0); }).join();
  ASSERT_TRUE(PumpUntil([&] { return dlg.m_bInstallEnded == 1; }));
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), kFinished);
  EXPECT_EQ(ShownBackground(), Background::Finished);
}

TEST_F(DownloaderDlgTest, ControlsStandWhereTheLayoutPutsThem) {
  const auto at = [&](CWnd& control) {
    CRect rect;
    control.GetWindowRect(&rect);
    dlg.ScreenToClient(&rect);
    return rect;
  };
  const int dpi = HarnessDpi();
  const auto S = [dpi](int v) { return ScaleToDpi(v, dpi); };
  EXPECT_EQ(at(dlg.m_btnClose), CRect(S(566), S(20), S(566) + S(14), S(20) + S(14)));
  EXPECT_EQ(at(dlg.m_btnInstall), CRect(S(220), S(210), S(220) + S(160), S(210) + S(40)));
  EXPECT_EQ(at(dlg.m_progress), CRect(S(40), S(364), S(40) + S(520), S(364) + S(10)));
  EXPECT_EQ(at(dlg.m_btnRun).left, S(220));
  // The link follows its label by 3, the folder field its label by 5, the button the field by 5.
  EXPECT_EQ(at(dlg.m_lnkLicense).left, at(dlg.m_lblAgree).right + S(3));
  EXPECT_EQ(at(dlg.m_editInstallDir).left, at(dlg.m_lblInstallTo).right + S(5));
  EXPECT_EQ(at(dlg.m_btnChangeDir).left, at(dlg.m_editInstallDir).right + S(5));
  EXPECT_EQ(at(dlg.m_lnkRetry).left, at(dlg.m_lblFailed).right + S(2));
  EXPECT_EQ(at(dlg.m_lnkWebDownload).left, at(dlg.m_lnkRetry).right + S(2));
  // Centred texts: equal margins up to the truncated half pixel.
  const CRect title = at(dlg.m_lblTitle);
  EXPECT_EQ(title.left, (S(600) - title.Width()) / 2);
  EXPECT_GT(title.Width(), 0) << "the title was measured";
}
