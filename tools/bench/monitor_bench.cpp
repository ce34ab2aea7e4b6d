// Benchmark, not a test: following the package while it installs, in the installer window
// with the stand-in package started for real by the run step. MODE "waiting" runs the
// installer's own monitor thread, which sleeps until the download folder or the product key
// changes; MODE "busy" runs the same loop without any pause, for comparison only. Prints the
// process's CPU time over the package's run, in per cent of one core, and the delay from the
// package writing 100 to the window switching to the Finished screen. Both are counted from
// the start of the following, once the package has been started.
//
//   inkvane_monitor_bench.exe MODE FOLDER PACKAGE.exe   (tools/bench/monitor_bench.sh runs it)
//
// FOLDER becomes the download folder; PACKAGE.exe, a paced copy of the stand-in, is put there
// as the package. The stand-in reports when it wrote each value (standin-report.jsonl), on
// the same clock as this program's.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "installer/downloader_dlg.h"
#include "installer/install_monitor.h"
#include "installer/install_progress.h"
#include "installer/package_contract.h"

namespace {

long long NowMs() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The loop without a pause: each pass reads the progress file and the product key again.
unsigned __stdcall BusyMonitorThreadProc(void* pParam) {
  auto* const dlg = static_cast<CDownloaderDlg*>(pParam);
  const CDownloaderDlg::WorkerRun run(*dlg);
  FollowPackage([dlg] { return dlg->ReadInstallPercent(); },
                [] { return IsOperationUninstall() != FALSE; }, {});
  dlg->FinishInstall();
  return 0;
}

unsigned __stdcall RunStep(void* pParam) {
  auto* const dlg = static_cast<CDownloaderDlg*>(pParam);
  const CDownloaderDlg::WorkerRun run(*dlg);
  dlg->RunPackage(TRUE);
  return 0;
}

// Starts the loop without a pause in the monitor's place when asked to, and notes when and
// at what CPU time the following began: the package has been started by then.
class CBenchDlg : public CDownloaderDlg {
public:
  bool busy = false;
  std::atomic<long long> followingFrom{-1};
  std::atomic<double> cpuFrom{0};

protected:
  BOOL BeginThread(WorkerProc proc) override {
    if (proc != &MonitorThreadProc) return CDownloaderDlg::BeginThread(proc);
    cpuFrom = ProcessCpuSeconds();
    followingFrom = NowMs();
    return CDownloaderDlg::BeginThread(busy ? &BusyMonitorThreadProc : proc);
  }
};

// When the stand-in wrote `value`, from its report; -1 when it has not.
long long WroteAt(const std::wstring& folder, const std::string& value) {
  std::ifstream report(std::filesystem::path(folder + L"\\standin-report.jsonl"));
  const std::string wrote = "\"event\":\"wrote\"", time = "\"time_ms\":";
  for (std::string line; std::getline(report, line);) {
    if (line.find(wrote) == std::string::npos ||
        line.find("\"value\":\"" + value + "\"") == std::string::npos)
      continue;
    return std::stoll(line.substr(line.find(time) + time.size()));
  }
  return -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: inkvane_monitor_bench.exe waiting|busy FOLDER PACKAGE.exe\n");
    return 2;
  }
  const std::wstring mode = argv[1], folder = argv[2];
  const std::wstring package = folder + L"\\" + package_contract::kPackageFileName;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::DeleteFileW((folder + L"\\standin-report.jsonl").c_str());
  if (!::CopyFileW(argv[3], package.c_str(), FALSE)) {
    std::fprintf(stderr, "monitor_bench: cannot place the package (%lu)\n", ::GetLastError());
    return 1;
  }

  CBenchDlg dlg;
  dlg.busy = mode == L"busy";
  if (!dlg.Create()) return 1;
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  dlg.SaveInstallDirToRegistry(dlg.m_szInstallDir);  // the product key, which the monitor watches
  dlg.ShowInstallingScreen();
  ::lstrcpynW(dlg.m_szDownloadDir, folder.c_str(), MAX_PATH);
  dlg.m_strPackagePath = package;

  if (!dlg.StartWorker(&RunStep)) return 1;
  // Blocking: the UI thread costs nothing while nothing happens.
  long long finished = -1;
  while (finished < 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    if (dlg.m_btnRun.IsWindowVisible()) finished = NowMs();
  }
  const double cpu = ProcessCpuSeconds() - dlg.cpuFrom;
  const double wall = static_cast<double>(finished - dlg.followingFrom) / 1000;
  while (dlg.WorkersRunning()) ::Sleep(10);

  const long long wrote100 = WroteAt(folder, "100");
  if (wrote100 < 0) {
    std::fprintf(stderr, "monitor_bench: the package did not report writing 100\n");
    return 1;
  }
  std::printf("%ls: %.1f s, CPU %.3f s = %.2f %% of one core, Finished %lld ms after the "
              "package wrote 100\n",
              mode.c_str(), wall, cpu, 100 * cpu / wall, finished - wrote100);
  return 0;
}
