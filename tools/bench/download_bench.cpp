// Benchmark, not a test: the installer's download (DownloadPackage with its progress sink
// moving a shown bar, downloading on its own thread while this UI thread paints) against a
// bare URLDownloadToFileW without a callback, from the same server into the same folder, in
// turns. Prints each run, the ratio of the median throughputs ours / bare, and the median
// and spread of the ratios of the two runs of each round, by which it is judged.
//
//   inkvane_download_bench.exe [ROUNDS]     (tools/bench/download_bench.sh runs it)
#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "installer/download_rules.h"
#include "installer/downloader_dlg.h"
#include "installer/vendor_origin.h"

namespace {

// Runs `work` on its own thread while this thread dispatches messages; its wall time.
double TimeOnWorker(const std::function<bool()>& work, bool& ok) {
  std::atomic<bool> done{false};
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    ok = work();
    done = true;
  });
  MSG msg;
  while (!done) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  worker.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  CDownloaderDlg dlg;
  if (!dlg.Create()) {
    std::fprintf(stderr, "download_bench: cannot create the installer window\n");
    return 1;
  }
  dlg.ShowInstallingScreen();

  const std::wstring url = PackageUrl(VendorOrigin());
  std::vector<double> ours, bare;
  std::uint64_t bytes = 0;
  // Both write a file that does not exist yet, and each goes first in every other round.
  const auto runOurs = [&] {
    ::DeleteFileW(dlg.m_strPackagePath.c_str());
    dlg.m_progress.Reset();
    bool ok = false;
    ours.push_back(TimeOnWorker([&] { return dlg.DownloadPackage() != FALSE; }, ok));
    bytes = FileSize(dlg.m_strPackagePath);
    if (!ok)
      std::fprintf(stderr, "download_bench: DownloadPackage failed (result %d, 0x%08lx)\n",
                   static_cast<int>(dlg.m_downloadOutcome.result),
                   static_cast<unsigned long>(dlg.m_downloadOutcome.platformError));
    return ok;
  };
  const auto runBare = [&] {
    const std::wstring file = std::wstring(dlg.m_szDownloadDir) + L"\\bench-bare.bin";
    ::DeleteFileW(file.c_str());
    bool ok = false;
    bare.push_back(TimeOnWorker([&] {
      ::DeleteUrlCacheEntryW(url.c_str());
      return ::URLDownloadToFileW(nullptr, url.c_str(), file.c_str(), 0, nullptr) == S_OK;
    }, ok));
    ok = ok && FileSize(file) == bytes;
    ::DeleteFileW(file.c_str());
    if (!ok) std::fprintf(stderr, "download_bench: the bare download failed or differs in size\n");
    return ok;
  };
  if (!runOurs()) return 1;  // a first run learns the folder and the size; not counted
  ours.clear();
  for (int round = 0; round < rounds; ++round) {
    const bool oursFirst = round % 2 == 0;
    if (!(oursFirst ? runOurs() && runBare() : runBare() && runOurs())) return 1;
    std::printf("round %d: ours %.3f s, bare %.3f s, ratio %.3f (bar at %lld)\n", round + 1,
                ours.back(), bare.back(), bare.back() / ours.back(),
                static_cast<long long>(dlg.m_progress.m_nPos.load()));
    std::fflush(stdout);
  }
  const double mb = static_cast<double>(bytes) / 1e6;
  const double oursMedian = Median(ours), bareMedian = Median(bare);
  std::printf("package %.1f MB; median of %d: ours %.1f MB/s, bare URLDownloadToFileW %.1f MB/s\n",
              mb, rounds, mb / oursMedian, mb / bareMedian);
  std::printf("ratio of the medians, ours / bare: %.3f\n", bareMedian / oursMedian);
  // Single rounds on a busy machine vary by a factor of two, and a ratio of medians pairs
  // rounds that ran under different loads; the two runs of one round ran side by side.
  std::vector<double> paired;
  for (std::size_t i = 0; i < ours.size(); ++i) paired.push_back(bare[i] / ours[i]);
  const auto [low, high] = std::minmax_element(paired.begin(), paired.end());
  std::printf("median of the per-round ratios, ours / bare: %.3f (rounds %.3f to %.3f; goal: "
              "at least 0.95)\n", Median(paired), *low, *high);
  return 0;
}
