// The package download for real: DownloadPackage of the installer window and its progress
// sink against the tree's local vendor server, with the server's faults switched per case.
// The download runs on its own thread, as in the installer, while this thread is the UI
// thread that paints the progress bar; every repaint of the bar is recorded.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "installer/download.h"
#include "installer/downloader_dlg.h"
#include "installer/package_contract.h"
#include "screen_capture.h"
#include "vendor_control.h"
#include "window_test_support.h"

// Names the results in failure messages.
void PrintTo(DownloadResult result, std::ostream* out) {
  static const char* const names[] = {"succeeded", "no download folder", "failed", "aborted",
                                      "HTTP status", "not from the vendor", "incomplete",
                                      "not from the publisher", "package in the way",
                                      "not the download", "not held", "not started", "stalled"};
  *out << names[static_cast<int>(result)];
}

namespace {

constexpr std::uint32_t kAbortCode = 0x80004004, kCertificateRefused = 0x800C0019;

// The installer window, with a desktop query that can be made to fail or to name a folder.
class CTestDownloaderDlg : public CDownloaderDlg {
public:
  bool desktopUnknown = false;
  std::wstring desktop;  // when not empty, the desktop folder

protected:
  BOOL QueryDesktopFolder(wchar_t* path) override {
    if (desktopUnknown) return FALSE;
    if (desktop.empty()) return CDownloaderDlg::QueryDesktopFolder(path);
    ::lstrcpynW(path, desktop.c_str(), MAX_PATH);
    return TRUE;
  }
};

class DownloadTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(vendor.Problem(), "");
    vendor.Set("");
    ASSERT_TRUE(dlg.Create());
    dlg.ShowInstallingScreen();  // the bar repaints only while it shows
    PumpFor(100);
    ASSERT_TRUE(::SetWindowSubclass(dlg.m_progress.m_hWnd, RecordPaint, 1,
                                    reinterpret_cast<DWORD_PTR>(this)));
  }

  void TearDown() override {
    if (dlg.m_progress.m_hWnd) ::RemoveWindowSubclass(dlg.m_progress.m_hWnd, RecordPaint, 1);
    vendor.Set("");
  }

  // Runs DownloadPackage on a download thread while this thread pumps messages; `meanwhile`
  // runs on this thread between pumps until it returns true.
  BOOL Download(const std::function<bool()>& meanwhile = {}) {
    paints.clear();
    std::atomic<bool> done{false};
    BOOL result = FALSE;
    std::thread download([&] {
      result = dlg.DownloadPackage();
      done = true;
    });
    bool meanwhileDone = !meanwhile;
    const bool ended = PumpUntil([&] {
      if (!meanwhileDone) meanwhileDone = meanwhile();
      return done.load();
    }, 120'000);
    download.join();
    EXPECT_TRUE(ended) << "the download did not end within two minutes";
    PumpFor(50);  // the last repaint
    return result;
  }

  // The number of package requests in the server's log, once it holds at least `atLeast`
  // or five seconds have passed: each is logged as it ends, maybe just after the client got
  // its last byte.
  std::size_t LoggedRequests(std::size_t atLeast = 0) {
    std::size_t count = 0;
    PumpUntil([&] { return (count = vendor.PackageRequests().size()) >= atLeast; }, 5000);
    return count;
  }

  std::wstring ExpectedPackagePath() const {
    return std::wstring(L"C:\\") + package_contract::kDownloadFolderName + L"\\" +
           package_contract::kPackageFileName;
  }

  static LRESULT CALLBACK RecordPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
    auto* test = reinterpret_cast<DownloadTest*>(self);
    if (message == WM_PAINT && test->recording)
      test->paints.push_back(test->dlg.m_progress.m_nPos.load());
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }

  VendorControl vendor;
  CTestDownloaderDlg dlg;
  std::vector<std::int64_t> paints;  // the bar's position at each of its repaints
  bool recording = true;
};

}  // namespace

TEST_F(DownloadTest, BarFollowsTheRealNotificationsAndRepaintsOnlyWhenItGrows) {
  // 500 bytes, a pause, 500 more: the bar shows 44, then 89.
  const std::string package = TestBytes(1000, 1);
  vendor.Set(vendor.ServeFile("package-1000.bin", package) +
             R"(, "pause_after": 500, "pause_seconds": 1)");
  ASSERT_TRUE(Download([&] {
    if (paints.empty()) return false;
    recording = false;  // the screenshot repaints the window itself
    KeepScreenshot(dlg, "download-paused-at-44");  // the Installing screen mid-download
    recording = true;
    return true;
  }));
  EXPECT_EQ(paints, (std::vector<std::int64_t>{44, 89}));
  EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), package);
  EXPECT_EQ(dlg.m_strPackagePath, ExpectedPackagePath());

  // Ten bytes at a time: one notification in ten or so leaves the value unchanged, and the
  // moniker repeats some counts; none of them may repaint the bar.
  dlg.m_progress.Reset();
  vendor.Set(vendor.ServeFile("package-1000.bin", package) +
             R"(, "drip_bytes": 10, "drip_interval": 0.03)");
  ASSERT_TRUE(Download());
  ASSERT_FALSE(paints.empty());
  EXPECT_EQ(paints.back(), 89);
  for (std::size_t i = 1; i < paints.size(); ++i)
    EXPECT_GT(paints[i], paints[i - 1]) << "repaint " << i << " showed no growth";
}

TEST_F(DownloadTest, HundredMegabytesArriveWholeAndFillTheBarToEightyNine) {
  const std::string name = "package-100m.bin";
  {
    // Sent in pieces a few milliseconds apart: on loopback the moniker would otherwise read
    // it all before its first count, and the bar would jump from 0 to 89.
    const std::string package = TestBytes(100 * 1024 * 1024 + 7, 2);
    vendor.Set(vendor.ServeFile(name, package) +
               R"(, "drip_bytes": 65536, "drip_interval": 0.003)");
  }
  const BOOL ok = Download();
  EXPECT_TRUE(ok);
  EXPECT_TRUE(SameFileContents(dlg.m_strPackagePath, vendor.DosPath(name)));
  // A byte count times 90 passes 32 bits at 48 MB: wrapped arithmetic would stall the bar.
  ASSERT_GT(paints.size(), 10u) << "the bar should move in steps during 100 MB";
  EXPECT_EQ(paints.back(), 89);
  for (std::size_t i = 1; i < paints.size(); ++i) EXPECT_GT(paints[i], paints[i - 1]);
  ::DeleteFileW(vendor.DosPath(name).c_str());
  ::DeleteFileW(dlg.m_strPackagePath.c_str());
}

TEST_F(DownloadTest, EveryRefusedOrBrokenResponseEndsInFailureAndLeavesTheProcessHealthy) {
  const std::string package = TestBytes(1 << 20, 3);
  const std::string served = vendor.ServeFile("package-1m.bin", package);
  // A reset reaches the moniker either as a failure or as a short body it calls complete.
  constexpr DownloadResult kCutShort[] = {DownloadResult::kIncomplete, DownloadResult::kFailed};
  struct Case {
    const char* name;
    std::string behaviour;
    std::vector<DownloadResult> results;  // what the outcome may be
    unsigned httpStatus;                  // 0: not checked
  };
  const Case cases[] = {
      {"not found", R"("status": 404)", {DownloadResult::kHttpStatus}, 404},
      {"server error", R"("status": 500)", {DownloadResult::kHttpStatus}, 500},
      {"redirect to http", R"("redirect": "http")", {DownloadResult::kNotFromVendor}, 0},
      {"certificate of an untrusted CA", R"("certificate": "untrusted")",
       {DownloadResult::kFailed}, 0},
      {"certificate for another host", R"("certificate": "wrong-host")",
       {DownloadResult::kFailed}, 0},
      // On a busy machine the reset can reach the moniker before its first notification
      // after the headers, so the status is not always seen: not checked.
      {"reset in the body", R"("reset_after": 300000)", {std::begin(kCutShort), std::end(kCutShort)},
       0},
      {"length larger than the body", R"("length": "larger")", {DownloadResult::kIncomplete}, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(ExpectedPackagePath().c_str());
    dlg.m_progress.Reset();
    vendor.Set(served + ", " + c.behaviour);
    EXPECT_FALSE(Download());
    EXPECT_NE(std::find(c.results.begin(), c.results.end(), dlg.m_downloadOutcome.result),
              c.results.end())
        << "result " << testing::PrintToString(dlg.m_downloadOutcome.result)
        << std::hex << ", platform error 0x" << dlg.m_downloadOutcome.platformError;
    if (c.httpStatus) {
      EXPECT_EQ(dlg.m_downloadOutcome.httpStatus, c.httpStatus);
    }
    if (c.results == std::vector{DownloadResult::kFailed}) {
      EXPECT_EQ(dlg.m_downloadOutcome.platformError, kCertificateRefused);
    }
    // Nothing stays at the package path, though the moniker leaves the bytes it got there.
    bool exists = false;
    const std::string written = ReadWholeFile(ExpectedPackagePath(), &exists);
    EXPECT_FALSE(exists) << written.size() << " bytes were left";
  }

  // The same process downloads the package when the server is healthy again.
  vendor.Set(served);
  EXPECT_TRUE(Download());
  EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), package);
}

TEST_F(DownloadTest, AFileSwappedInWhileTheBodyArrivesIsNeverTakenForThePackage) {
  // Another program puts a larger file at the package's path after the installer cleared it,
  // and keeps it open for reading: the moniker cannot copy its download over it, and still
  // reports success.
  const std::string package = TestBytes(200'000, 5), planted = TestBytes(400'000, 6);
  vendor.Set(vendor.ServeFile("package-swap.bin", package) +
             R"(, "pause_after": 100000, "pause_seconds": 1)");
  ::DeleteFileW(ExpectedPackagePath().c_str());
  HANDLE plant = INVALID_HANDLE_VALUE;
  EXPECT_FALSE(Download([&] {
    if (paints.empty()) return false;  // under way: the path was cleared before the request
    std::ofstream(std::filesystem::path(ExpectedPackagePath()), std::ios::binary) << planted;
    plant = ::CreateFileW(ExpectedPackagePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return true;
  }));
  ASSERT_NE(plant, INVALID_HANDLE_VALUE);
  EXPECT_EQ(dlg.m_downloadOutcome.result, DownloadResult::kNotTheDownload);
  EXPECT_FALSE(dlg.m_packageHold) << "a failed download keeps nothing held for the run step";
  EXPECT_EQ(ReadWholeFile(ExpectedPackagePath()), planted);
  ::CloseHandle(plant);
  ::DeleteFileW(ExpectedPackagePath().c_str());
}

TEST_F(DownloadTest, UnannouncedSlowOrRedirectedBodiesArriveWhole) {
  const std::string package = TestBytes(256 * 1024 + 3, 4);
  const std::string served = vendor.ServeFile("package-256k.bin", package);
  const char* const behaviours[] = {
      R"("length": "chunked")",
      R"("length": "close")",
      R"("drip_bytes": 16384, "drip_interval": 0.02)",
      R"("redirect": "https")",
  };
  for (const char* behaviour : behaviours) {
    SCOPED_TRACE(behaviour);
    ::DeleteFileW(ExpectedPackagePath().c_str());
    dlg.m_progress.Reset();
    vendor.Set(served + ", " + behaviour);
    EXPECT_TRUE(Download());
    EXPECT_EQ(dlg.m_downloadOutcome.result, DownloadResult::kSucceeded);
    EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), package);
    EXPECT_GT(dlg.m_progress.m_nPos, 0);
    EXPECT_LE(dlg.m_progress.m_nPos, 89);
  }
}

TEST_F(DownloadTest, AbortEndsTheDownloadAtTheNextNotification) {
  // 100 000 bytes, 2000 every quarter second: 1.8 steps of the bar per notification.
  vendor.Set(vendor.ServeFile("package-slow.bin", TestBytes(100'000, 5)) +
             R"(, "drip_bytes": 2000, "drip_interval": 0.25)");
  const std::size_t requestsBefore = LoggedRequests();
  std::int64_t atAbort = -1;
  std::chrono::steady_clock::time_point abortTime;
  const BOOL ok = Download([&] {
    if (dlg.m_progress.m_nPos < 10) return false;
    g_bAbortDownload = 1;
    abortTime = std::chrono::steady_clock::now();
    atAbort = dlg.m_progress.m_nPos;
    return true;
  });
  const auto ended = std::chrono::steady_clock::now();
  ASSERT_GE(atAbort, 10) << "the abort was never requested";
  EXPECT_FALSE(ok);
  EXPECT_EQ(dlg.m_downloadOutcome.result, DownloadResult::kAborted);
  EXPECT_EQ(dlg.m_downloadOutcome.platformError, kAbortCode);
  EXPECT_LT(ended - abortTime, std::chrono::milliseconds(1500))
      << "the next notification, a quarter second away, should have ended it";
  EXPECT_LE(dlg.m_progress.m_nPos, atAbort + 2) << "more than one notification after the abort";
  EXPECT_TRUE(PumpUntil([&] {
    const auto requests = vendor.PackageRequests();
    return requests.size() > requestsBefore &&
           requests.back().find(R"("client_closed_early": true)") != std::string::npos;
  }, 10'000)) << "the server did not see the connection closed early";
}

TEST_F(DownloadTest, ChangedPackageArrivesNewThoughTheServerAllowsCaching) {
  const std::string first = TestBytes(64 * 1024, 6), second = TestBytes(64 * 1024, 7);
  const std::string cacheable = R"(, "cache_seconds": 3600)";
  const std::size_t requests = LoggedRequests();
  vendor.Set(vendor.ServeFile("package-a.bin", first) + cacheable);
  ASSERT_TRUE(Download());
  EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), first);
  vendor.Set(vendor.ServeFile("package-b.bin", second) + cacheable);
  ASSERT_TRUE(Download());
  EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), second);
  EXPECT_EQ(LoggedRequests(requests + 2), requests + 2) << "the server was not asked each time";
}

TEST_F(DownloadTest, DownloadFolderOnTheDesktopsFixedDiskIsMadeOrReusedElseOnTheWindowsFolders) {
  const std::string package = TestBytes(4096, 8);
  vendor.Set(vendor.ServeFile("package-4k.bin", package));
  const std::filesystem::path folder =
      std::wstring(L"C:\\") + package_contract::kDownloadFolderName;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  ASSERT_FALSE(std::filesystem::exists(folder));

  ASSERT_TRUE(Download());
  EXPECT_EQ(std::wstring(dlg.m_szDownloadDir), folder.wstring());
  EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), package);

  const std::filesystem::path keep = folder / L"kept.txt";
  std::ofstream(keep) << "left by an earlier run";
  ASSERT_TRUE(Download());
  EXPECT_TRUE(std::filesystem::exists(keep)) << "the existing folder was not reused as it was";

  // The prefix's drives (tests/wine-run.sh): G: a second fixed disk, F: a network drive, S: a
  // drive letter that stands for C:\inkvane-subst. Without a desktop, on a share or on a drive
  // that is no local fixed disk, the folder is on the Windows folder's drive, C:.
  const struct {
    const wchar_t* desktop;  // nullptr: the desktop cannot be learnt
    const wchar_t* folder;
  } cases[] = {
      {L"G:\\Users\\me\\Desktop", L"G:\\varnix"},
      {L"F:\\Users\\me\\Desktop", L"C:\\varnix"},
      {L"\\\\server\\home\\Desktop", L"C:\\varnix"},
      {nullptr, L"C:\\varnix"},
      // Under Wine the final path of S:'s root is "\\?\S:\" (Wine names a folder by the
      // drive whose root lies deepest), so the text "S:\varnix" would pass too; on Windows it
      // is "\\?\C:\inkvane-subst", which only the held folder's own final path matches.
      {L"S:\\Desktop", L"S:\\varnix"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "desktop " << (c.desktop ? c.desktop : L"unknown"));
    dlg.desktopUnknown = !c.desktop;
    dlg.desktop = c.desktop ? c.desktop : L"";
    EXPECT_TRUE(Download()) << "result " << testing::PrintToString(dlg.m_downloadOutcome.result)
                            << std::hex << ", platform error 0x" << dlg.m_downloadOutcome.platformError;
    EXPECT_EQ(std::wstring(dlg.m_szDownloadDir), c.folder);
    EXPECT_EQ(ReadWholeFile(dlg.m_strPackagePath), package);
    dlg.m_packageHold.reset();
    dlg.m_downloadFolderHold.reset();
    if (std::wstring_view(c.folder) != folder.wstring())
      std::filesystem::remove_all(std::filesystem::path(c.folder), ignored);
  }
}
