// The install flow in a real installer window: the run step starting the stand-in package for
// real, the thread that follows it, the screens they ask for, the thread-start seam, and the
// hold on the package file. The download is left out: each test puts the package where a
// download leaves it (download_test.cpp covers the download; tests/e2e the whole flow).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "installer/control_ids.h"
#include "installer/download_folder.h"
#include "installer/downloader_dlg.h"
#include "installer/install_flow.h"
#include "installer/install_monitor.h"
#include "installer/install_progress.h"
#include "installer/package_contract.h"
#include "installer/screen_table.h"
#include "modal_test_support.h"
#include "vendor_control.h"
#include "window_test_support.h"

namespace {

namespace pc = package_contract;
using WorkerProc = CDownloaderDlg::WorkerProc;

const std::wstring kRoot = L"C:\\flow-test";
const std::wstring kDownloadFolder = kRoot + L"\\" + pc::kDownloadFolderName;
const std::wstring kPackage = kDownloadFolder + L"\\" + pc::kPackageFileName;
const std::wstring kInstallFolder = kRoot + L"\\Install Here";
constexpr DWORD kSharingViolation = ERROR_SHARING_VIOLATION;

std::wstring FromHost(const char* variable) {
  const char* path = std::getenv(variable);
  return path && *path ? DosPathOfHostPath(path) : std::wstring();
}

// ---- The stand-in package (tools/standin), in the test's download folder ----

// The copies made by the build, one per run, each step held until acknowledged.
std::wstring StandInCopy(const char* variant) {
  const std::string name(variant);
  return FromHost("INKVANE_STANDINS") + L"\\" + std::wstring(name.begin(), name.end()) + L".exe";
}

std::string Report() { return ReadWholeFile(kDownloadFolder + L"\\standin-report.jsonl"); }

bool Reported(const std::string& event) {
  return Report().find("\"event\":\"" + event + "\"") != std::string::npos;
}

// Whether the stand-in's process, named in its report, has ended (waiting a while for it).
bool StandInProcessEnded() {
  const std::string report = Report(), pid = "\"pid\":";
  const auto at = report.find(pid);
  if (at == std::string::npos) return false;
  const HANDLE process = ::OpenProcess(
      SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(report.substr(at + pid.size()))));
  if (!process) return true;
  const bool ended = ::WaitForSingleObject(process, 10'000) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

// The values the stand-in has written to the progress file so far.
std::vector<std::string> Written() {
  std::vector<std::string> values;
  const std::string report = Report(), wrote = "\"event\":\"wrote\"", value = "\"value\":\"";
  for (auto at = report.find(wrote); at != std::string::npos; at = report.find(wrote, at + 1)) {
    const auto start = report.find(value, at) + value.size();
    values.push_back(report.substr(start, report.find('"', start) - start));
  }
  return values;
}

void WriteAck(const std::string& text) {
  const std::wstring ack = kDownloadFolder + L"\\standin-ack.txt", temporary = ack + L".tmp";
  const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  ::MoveFileExW(temporary.c_str(), ack.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The test has seen `steps` steps: the stand-in goes on to the next.
void Acknowledge(int steps) { WriteAck(std::to_string(steps)); }

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetOperation(const wchar_t* text) {
  HKEY key = nullptr;
  ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &key, nullptr);
  ::RegSetValueExW(key, pc::kOperationValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

bool ProductKeyExists() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

// What inkvane_file_probe.exe, another program, gets when it tries `action` on `path`: the
// platform's error code, 0 when it worked.
DWORD ProbeFromAnotherProgram(const wchar_t* action, const std::wstring& path) {
  std::wstring command =
      L"\"" + FromHost("INKVANE_FILE_PROBE") + L"\" " + action + L" \"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return static_cast<DWORD>(-1);
  ::WaitForSingleObject(process.hProcess, 20'000);
  DWORD code = static_cast<DWORD>(-1);
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return code;
}

// A visible dialog of this process other than `window`: a notice over it.
HWND OtherDialogOfThisProcess(HWND window) {
  for (HWND other = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); other;
       other = ::FindWindowExW(nullptr, other, L"#32770", nullptr)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(other, &process);
    if (other != window && process == ::GetCurrentProcessId() && ::IsWindowVisible(other))
      return other;
  }
  return nullptr;
}

// What the download thread does after a successful download.
std::atomic<int> g_runStepsEnded{0};
unsigned __stdcall RunStepAfterDownload(void* pParam) {
  auto* const dlg = static_cast<CDownloaderDlg*>(pParam);
  {
    const CDownloaderDlg::WorkerRun run(*dlg);
    // As the download leaves them: the folder and the package file held.
    DWORD error = 0;
    dlg->m_downloadFolderHold = HoldDownloadFolder(dlg->m_szDownloadDir, error);
    dlg->m_packageHold = HoldFile(dlg->m_strPackagePath, error);
    dlg->RunPackage(TRUE);
  }
  ++g_runStepsEnded;
  return 0;
}

// The installer window with its thread-start seam in the test's hand: `beginThread` decides
// each start (the procedure tells which worker it is); without it threads start for real.
class CFlowDlg : public CDownloaderDlg {
public:
  std::function<BOOL(WorkerProc)> beginThread;
  BOOL StartForReal(WorkerProc proc) { return CDownloaderDlg::BeginThread(proc); }

protected:
  BOOL BeginThread(WorkerProc proc) override {
    return beginThread ? beginThread(proc) : StartForReal(proc);
  }
};

class InstallFlowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(FromHost("INKVANE_STANDINS").empty() || FromHost("INKVANE_FILE_PROBE").empty())
        << "INKVANE_STANDINS and INKVANE_FILE_PROBE name the stand-in copies and the probe; run "
           "these tests through ctest";
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pc::kProductKey);
    std::error_code ignored;
    std::filesystem::remove_all(kRoot, ignored);
    std::filesystem::create_directories(kDownloadFolder);
    ASSERT_TRUE(dlg.Create());
    // As the install command leaves things for the run step: the folder in the product key,
    // the Installing screen, the download folder and the package's path.
    dlg.m_editInstallDir.SetText(kInstallFolder.c_str());
    const CString folder(kInstallFolder.c_str());
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_editInstallDir.m_edit.GetWindowText() == folder; }));
    dlg.SaveInstallDirToRegistry(kInstallFolder);
    dlg.ShowInstallingScreen();
    ::lstrcpynW(dlg.m_szDownloadDir, kDownloadFolder.c_str(), MAX_PATH);
    dlg.m_strPackagePath = kPackage;
    PumpFor(50);
  }

  void TearDown() override {
    // Whatever a test left running ends: the stand-in at its next wait, the following on the
    // stop word. The next test replaces the package, which a running stand-in would block.
    WriteAck("quit");
    SetOperation(pc::kStopWord);
    EXPECT_TRUE(PumpUntil([&] { return !dlg.WorkersRunning(); }, 10'000)) << "a worker lives on";
    if (Reported("start")) {
      EXPECT_TRUE(PumpUntil([] { return Reported("end"); }, 10'000)) << "the stand-in lives on";
    }
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pc::kProductKey);
  }

  void PlacePackage(const char* variant) {
    ASSERT_TRUE(::CopyFileW(StandInCopy(variant).c_str(), kPackage.c_str(), FALSE))
        << "no stand-in copy for " << variant << ": " << ::GetLastError();
  }

  // Runs the run step on a worker thread, as the download thread does.
  void RunStep() { ASSERT_TRUE(dlg.StartWorker(&RunStepAfterDownload)); }

  static Ids ControlsOf(Screen screen) {
    Ids ids(LookOf(screen).controls.begin(), LookOf(screen).controls.end());
    ids.insert(IDC_CLOSE);
    return ids;
  }

  bool Shows(Screen screen) const { return VisibleControls(dlg.m_hWnd) == ControlsOf(screen); }

  // Pumps until the stand-in has written `count` values, then until the bar stands at `bar`.
  ::testing::AssertionResult StepShows(std::size_t count, std::int64_t bar) {
    if (!PumpUntil([&] { return Written().size() >= count; }, 10'000))
      return ::testing::AssertionFailure() << "the stand-in wrote " << Written().size()
                                           << " values";
    if (!PumpUntil([&] { return dlg.m_progress.m_nPos.load() == bar; }, 5000))
      return ::testing::AssertionFailure() << "after " << Written().back() << " the bar is at "
                                           << dlg.m_progress.m_nPos.load() << ", not " << bar;
    return ::testing::AssertionSuccess();
  }

  // The bar at `bars[i]` after each of the stand-in's first steps in turn, then the Finished
  // screen after its last.
  ::testing::AssertionResult PlaysThenFinishes(std::initializer_list<std::int64_t> bars) {
    int step = 0;
    for (const std::int64_t bar : bars) {
      if (const auto shown = StepShows(++step, bar); !shown) return shown;
      Acknowledge(step);
    }
    return Finishes();
  }

  // The window keeps the Installing screen while the monitor keeps following.
  bool KeepsFollowing(int ms = 600) {
    PumpFor(ms);
    return Shows(Screen::Installing) && dlg.WorkersRunning() && dlg.m_bInstallEnded == 0;
  }

  // The Finished screen, and (unless a package that nobody follows may write it again) no
  // progress file.
  ::testing::AssertionResult Finishes(bool progressFileGone = true) {
    if (!PumpUntil([&] { return Shows(Screen::Finished); }, 10'000))
      return ::testing::AssertionFailure() << "no Finished screen";
    if (dlg.m_bInstallEnded != 1) return ::testing::AssertionFailure() << "not ended";
    if (progressFileGone && !PumpUntil([] { return !Exists(ProgressFilePath(kDownloadFolder)); }))
      return ::testing::AssertionFailure() << "the progress file is left";
    return ::testing::AssertionSuccess();
  }

  CFlowDlg dlg;
};

}  // namespace

TEST_F(InstallFlowTest, TheStopWordEndsTheFollowingWithTheBarHidden) {
  PlacePackage("uninstall-at-40");  // 0, 5, 40, then the stop word
  RunStep();
  EXPECT_TRUE(PlaysThenFinishes({90, 90, 94}));
  EXPECT_EQ(dlg.m_progress.m_nPos, 94);
  EXPECT_FALSE(dlg.m_progress.IsWindowVisible());
}

TEST_F(InstallFlowTest, AValueAbove100FinishesWithTheBarAt100) {
  PlacePackage("over-100");  // 0, 5, 50, then 150
  RunStep();
  EXPECT_TRUE(PlaysThenFinishes({90, 90, 95}));
  EXPECT_EQ(dlg.m_progress.m_nPos, 100) << "stored capped";
}

TEST_F(InstallFlowTest, A100WrittenBeforeTheMonitorStartsStillFinishes) {
  PlacePackage("instant-100");
  // The monitor starts only once the package has written 100 and ended.
  dlg.beginThread = [&](WorkerProc proc) {
    if (proc == &MonitorThreadProc && !WaitFor([] { return Reported("end"); }, 10'000))
      return FALSE;
    return dlg.StartForReal(proc);
  };
  RunStep();
  EXPECT_TRUE(Finishes());
  EXPECT_EQ(Written(), std::vector<std::string>{"100"});
  EXPECT_EQ(dlg.m_progress.m_nPos, 100);
}

TEST_F(InstallFlowTest, WithoutADoneValueTheFollowingGoesOnAt90) {
  PlacePackage("garbage");  // "abc", "-5", then a number of 30 digits
  RunStep();
  ASSERT_TRUE(StepShows(1, 90));
  EXPECT_TRUE(KeepsFollowing());
  Acknowledge(1);
  ASSERT_TRUE(StepShows(2, 90));
  EXPECT_TRUE(KeepsFollowing()) << "-5 is no done value";
  Acknowledge(2);
  // The platform reads the 30 digits as 1849262357, which counts as done.
  ASSERT_TRUE(PumpUntil([] { return Written().size() == 3; }, 10'000));
  EXPECT_TRUE(Finishes());
  EXPECT_EQ(dlg.m_progress.m_nPos, 100);
}

TEST_F(InstallFlowTest, APackageThatEndsWithout100LeavesTheInstallingScreenAt90) {
  PlacePackage("exit-early");  // 0, 5, then it ends
  RunStep();
  ASSERT_TRUE(StepShows(1, 90));
  Acknowledge(1);
  ASSERT_TRUE(PumpUntil([] { return Reported("end"); }, 10'000));
  EXPECT_TRUE(KeepsFollowing(1000));
  EXPECT_EQ(dlg.m_progress.m_nPos, 90);
  // The folder stays held while the install goes on, and not only as the package's working
  // folder: renaming it, which opens it for DELETE, is refused.
  ASSERT_TRUE(StandInProcessEnded());
  EXPECT_EQ(ProbeFromAnotherProgram(L"rename", kDownloadFolder), kSharingViolation);
  // Another program of the product asks to stop: the key's change wakes the monitor.
  SetOperation(pc::kStopWord);
  EXPECT_TRUE(Finishes());
}

TEST_F(InstallFlowTest, AMonitorThatCannotStartFinishesWithoutFollowing) {
  PlacePackage("normal");
  std::atomic<int> attempts = 0;
  dlg.beginThread = [&](WorkerProc proc) {
    if (proc != &MonitorThreadProc) return dlg.StartForReal(proc);
    ++attempts;
    return FALSE;
  };
  RunStep();
  EXPECT_TRUE(Finishes(false));
  EXPECT_EQ(attempts, 3);
  EXPECT_TRUE(PumpUntil([] { return Reported("start"); }, 10'000)) << "the package was started";
  EXPECT_EQ(dlg.m_progress.m_nPos, 0) << "nothing followed the package";
}

TEST_F(InstallFlowTest, ADownloadThreadThatCannotStartFailsAndARefusedRetryKeepsTheBlurbs) {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pc::kProductKey);
  dlg.beginThread = [&](WorkerProc proc) {
    return proc == &DownloadThreadProc ? FALSE : dlg.StartForReal(proc);
  };
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);
  EXPECT_TRUE(PumpUntil([&] { return Shows(Screen::Failed); }));
  EXPECT_EQ(dlg.m_bInstallEnded, 1);
  EXPECT_FALSE(ProductKeyExists()) << "no folder handed over for a download that never began";

  // The disk is gone by the time of the retry: its notice is closed as a user would close it.
  MoveBarTo(dlg.m_progress, 60);
  dlg.m_editInstallDir.m_edit.SetWindowText(L"Q:\\Inkvane");
  std::atomic<bool> noticeClosed = false;
  std::thread user([&] {
    noticeClosed = WaitFor([&] {
      const HWND notice = OtherDialogOfThisProcess(dlg.m_hWnd);
      if (notice) ::PostMessageW(notice, WM_CLOSE, 0, 0);
      return notice != nullptr;
    }, 10'000);
  });
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RETRY, BN_CLICKED), 0);
  user.join();
  EXPECT_TRUE(noticeClosed) << "no notice";
  Ids blurbsAndBar = ControlsOf(Screen::Installing);
  blurbsAndBar.erase(IDC_INSTALLING);
  EXPECT_EQ(VisibleControls(dlg.m_hWnd), blurbsAndBar);
  EXPECT_EQ(dlg.m_progress.m_nPos, 0);
  EXPECT_EQ(dlg.m_bInstallEnded, 1) << "closing still asks nothing";
}

TEST_F(InstallFlowTest, ThePackageIsHeldFromTheRunStepUntilItsProcessHasStarted) {
  PlacePackage("normal");
  DWORD write = 0, rename = 0, remove = 0;
  bool startedEarly = true;
  // The install command starts the download thread, then hands the folder over through the
  // product key, which the run step waits for before it starts the package. Here the
  // download thread is the run step alone, and the command's thread start returns only once
  // another program has found the package held, and has tried to change it.
  dlg.beginThread = [&](WorkerProc proc) {
    if (proc != &DownloadThreadProc) return dlg.StartForReal(proc);
    if (!dlg.StartForReal(&RunStepAfterDownload)) return FALSE;
    WaitFor([&] {
      write = ProbeFromAnotherProgram(L"write", kPackage);
      return write == kSharingViolation;
    }, 10'000);
    rename = ProbeFromAnotherProgram(L"rename", kPackage);
    remove = ProbeFromAnotherProgram(L"delete", kPackage);
    startedEarly = Reported("start");
    return TRUE;
  };
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);
  EXPECT_EQ(write, kSharingViolation);
  EXPECT_EQ(rename, kSharingViolation);
  EXPECT_EQ(remove, kSharingViolation);
  EXPECT_FALSE(startedEarly) << "the package started before the folder was handed over";

  // Still held, the package starts, and finds its folder.
  ASSERT_TRUE(PumpUntil([] { return Reported("registry"); }, 10'000));
  EXPECT_NE(Report().find(R"("path":"C:\\flow-test\\Install Here")"), std::string::npos)
      << Report();
  // Started as a program, not by the shell: its quoted path is the whole command line, and
  // the download folder its working folder.
  EXPECT_NE(Report().find(R"("command_line":"\"C:\\flow-test\\varnix\\Quillomark.exe\"")"),
            std::string::npos);
  EXPECT_NE(Report().find(R"("working_folder":"C:\\flow-test\\varnix")"), std::string::npos);
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(PumpUntil([&] { return Written().size() >= static_cast<std::size_t>(i); }, 10'000));
    Acknowledge(i);
  }
  EXPECT_TRUE(Finishes());
  // Once the package has ended, nothing holds the file: a retry can download to it again.
  ASSERT_TRUE(PumpUntil([] { return Reported("end"); }, 10'000));
  EXPECT_TRUE(WaitFor([] { return ProbeFromAnotherProgram(L"write", kPackage) == 0; }, 5000));
  EXPECT_TRUE(WaitFor([] { return ProbeFromAnotherProgram(L"rename", kDownloadFolder) == 0; },
                      5000)) << "the folder is held after the install ended";
}

TEST_F(InstallFlowTest, APackageThatCannotBeHeldOrStartedFails) {
  // Another program keeps the package open for writing, and does not let go.
  PlacePackage("instant-100");
  const HANDLE writer = ::CreateFileW(kPackage.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  RunStep();
  EXPECT_TRUE(PumpUntil([&] { return Shows(Screen::Failed); }, 10'000));
  EXPECT_FALSE(Reported("start")) << "a package that could not be held was started";
  EXPECT_EQ(dlg.m_downloadOutcome.result, DownloadResult::kNotHeld);
  ::CloseHandle(writer);

  // A file that is no program: it does not start, with CreateProcessW's error (the shell's
  // "open" would give 11, ERROR_BAD_FORMAT).
  dlg.ClearFailedScreen();
  dlg.ShowInstallingScreen();
  ::DeleteFileW(kPackage.c_str());
  {
    const HANDLE file = ::CreateFileW(kPackage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "not a program", 13, &written, nullptr);
    ::CloseHandle(file);
  }
  RunStep();
  EXPECT_TRUE(PumpUntil([&] { return Shows(Screen::Failed); }, 10'000));
  EXPECT_EQ(ProbeFromAnotherProgram(L"write", kPackage), 0u) << "the hold is let go";
  EXPECT_EQ(dlg.m_downloadOutcome.result, DownloadResult::kNotStarted);
  EXPECT_EQ(dlg.m_downloadOutcome.platformError, static_cast<std::uint32_t>(ERROR_BAD_EXE_FORMAT));

  // A scanner that reads the new file for a moment delays the hold, and no more.
  dlg.ClearFailedScreen();
  dlg.ShowInstallingScreen();
  PlacePackage("instant-100");
  const HANDLE scanner = ::CreateFileW(kPackage.c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
  RunStep();
  PumpFor(150);
  ::CloseHandle(scanner);
  EXPECT_TRUE(Finishes());
  EXPECT_TRUE(Reported("start"));
}
