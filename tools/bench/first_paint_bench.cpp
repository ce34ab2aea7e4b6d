// First-paint benchmark, run by first_paint.sh; not a test, never shipped.
//
//   inkvane_first_paint_bench.exe ROUNDS NAME=PROGRAM.exe NAME=PROGRAM.exe ...
//
// Starts each program in turn (the order rotates every round) and measures, from just
// before CreateProcess, how long until its window is visible and until the screen shows
// its first finished frame. "Finished" is learnt once per program before the timed rounds:
// the frame the window settles on (unchanged for a second). A timed run counts as painted
// at the first capture whose samples (every 4th pixel each way) match that frame to 99.5%;
// a caret or other small change cannot hold it back. Captures read the screen through the
// desktop's device context, as a screenshot would: what the user sees, not what the
// program believes it drew. Each run ends with WM_CLOSE to the window.
//
// A program that leaves PROGRAM.exe.trace behind (trace_notes.h: the traced installer, the
// bare dialogs) also gets its start-up's parts printed: when each began after process start,
// and how long its calls took before the finished frame was seen.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSampleStep = 4;
constexpr double kMatchNeeded = 0.995;

struct Frame {
  int width = 0;
  int height = 0;
  std::vector<DWORD> samples;  // every kSampleStep-th pixel of every kSampleStep-th row
};

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Ticks() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

ULONGLONG PreciseNow() {
  FILETIME time;
  ::GetSystemTimePreciseAsFileTime(&time);
  return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

struct FindWindowOf {
  DWORD process;
  HWND found;
};

BOOL CALLBACK MatchProcess(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<FindWindowOf*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != search->process || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER))
    return TRUE;
  RECT rect;
  if (!::GetWindowRect(window, &rect) || rect.right - rect.left < 100) return TRUE;
  search->found = window;
  return FALSE;
}

HWND VisibleWindowOf(DWORD process) {
  FindWindowOf search{process, nullptr};
  ::EnumWindows(MatchProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The window's rectangle as the screen shows it now.
bool Capture(HWND window, Frame& frame) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool done = false;
  if (bitmap) {
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    done = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    ::GdiFlush();
    if (done) {
      frame.width = width;
      frame.height = height;
      frame.samples.clear();
      const auto* pixels = static_cast<const DWORD*>(bits);
      for (int y = 0; y < height; y += kSampleStep)
        for (int x = 0; x < width; x += kSampleStep)
          frame.samples.push_back(pixels[y * width + x] & 0xFFFFFF);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return done;
}

double Match(const Frame& a, const Frame& b) {
  if (a.width != b.width || a.height != b.height || a.samples.empty()) return 0.0;
  std::size_t same = 0;
  for (std::size_t i = 0; i < a.samples.size(); ++i) same += a.samples[i] == b.samples[i];
  return static_cast<double>(same) / static_cast<double>(a.samples.size());
}

struct Program {
  std::string name;
  std::wstring path;
  Frame finished;
  std::vector<double> visible;
  std::vector<double> painted;
  // Traced programs: per part, the start after process start and the total time of the
  // calls made before the first paint was seen, one value per run.
  std::map<std::string, std::vector<double>> firstStart;
  std::map<std::string, std::vector<double>> timeBeforePaint;
};

struct Started {
  PROCESS_INFORMATION process{};
  LONGLONG ticks = 0;
  ULONGLONG precise = 0;
};

bool Start(const Program& program, Started& started) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring command = L"\"" + program.path + L"\"";
  started.precise = PreciseNow();
  started.ticks = Ticks();
  if (!::CreateProcessW(program.path.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started.process)) {
    std::printf("cannot start %s: error %lu\n", program.name.c_str(), ::GetLastError());
    return false;
  }
  return true;
}

void Stop(Started& started, HWND window) {
  if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(started.process.hProcess, 10000) != WAIT_OBJECT_0) {
    std::printf("  (no exit after WM_CLOSE: terminated)\n");
    ::TerminateProcess(started.process.hProcess, 1);
    ::WaitForSingleObject(started.process.hProcess, 5000);
  }
  ::CloseHandle(started.process.hThread);
  ::CloseHandle(started.process.hProcess);
  ::Sleep(300);  // let the desktop settle before the next start
}

// Learns the frame the program's window settles on.
bool Calibrate(Program& program) {
  Started started;
  if (!Start(program, started)) return false;
  HWND window = nullptr;
  Frame last;
  int unchanged = 0;
  for (int i = 0; i < 300 && unchanged < 10; ++i) {
    ::Sleep(100);
    if (!window) window = VisibleWindowOf(started.process.dwProcessId);
    Frame now;
    if (!window || !Capture(window, now)) continue;
    unchanged = Match(now, last) == 1.0 ? unchanged + 1 : 0;
    last = now;
  }
  Stop(started, window);
  if (unchanged < 10) {
    std::printf("%s: its window never settled (or never showed)\n", program.name.c_str());
    return false;
  }
  program.finished = last;
  return true;
}

std::wstring TracePath(const Program& program) { return program.path + L".trace"; }

void ReadTrace(Program& program, const Started& started, double paintedMs) {
  FILE* file = _wfopen(TracePath(program).c_str(), L"r");
  if (!file) return;
  std::map<std::string, double> first;
  std::map<std::string, double> before;
  char line[256];
  while (std::fgets(line, sizeof line, file)) {
    char what[64];
    int argument = 0;
    unsigned long long start = 0, end = 0;
    if (std::sscanf(line, "%63[^\t]\t%d\t%llu\t%llu", what, &argument, &start, &end) != 4)
      continue;
    const double startMs = (static_cast<double>(start) - static_cast<double>(started.precise)) / 1e4;
    const double endMs = (static_cast<double>(end) - static_cast<double>(started.precise)) / 1e4;
    if (!first.count(what)) first[what] = startMs;
    if (startMs < paintedMs) before[what] += std::min(endMs, paintedMs) - startMs;
  }
  std::fclose(file);
  for (const auto& [what, ms] : first) program.firstStart[what].push_back(ms);
  for (const auto& [what, ms] : before) program.timeBeforePaint[what].push_back(ms);
}

bool TimedRun(Program& program) {
  ::DeleteFileW(TracePath(program).c_str());
  Started started;
  if (!Start(program, started)) return false;
  double visibleMs = -1, paintedMs = -1;
  HWND window = nullptr;
  Frame now;
  while (Milliseconds(Ticks() - started.ticks) < 30000) {
    if (!window) {
      window = VisibleWindowOf(started.process.dwProcessId);
      if (window) visibleMs = Milliseconds(Ticks() - started.ticks);
    }
    if (window && Capture(window, now) && Match(now, program.finished) >= kMatchNeeded) {
      paintedMs = Milliseconds(Ticks() - started.ticks);
      break;
    }
    ::Sleep(1);
  }
  Stop(started, window);
  if (paintedMs < 0) {
    std::printf("%s: no finished frame within 30 s\n", program.name.c_str());
    return false;
  }
  program.visible.push_back(visibleMs);
  program.painted.push_back(paintedMs);
  ReadTrace(program, started, paintedMs);
  std::printf("  %-10s visible %7.1f ms   painted %7.1f ms\n", program.name.c_str(), visibleMs,
              paintedMs);
  std::fflush(stdout);
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::printf("usage: inkvane_first_paint_bench ROUNDS NAME=PROGRAM.exe ...\n");
    return 2;
  }
  const int rounds = std::max(1, _wtoi(argv[1]));
  std::vector<Program> programs;
  for (int i = 2; i < argc; ++i) {
    const std::wstring spec = argv[i];
    const std::size_t equals = spec.find(L'=');
    if (equals == std::wstring::npos) {
      std::printf("not NAME=PROGRAM.exe: argument %d\n", i);
      return 2;
    }
    Program program;
    for (wchar_t c : spec.substr(0, equals)) program.name += static_cast<char>(c);
    program.path = spec.substr(equals + 1);
    programs.push_back(program);
  }

  ::timeBeginPeriod(1);
  ::SetCursorPos(0, 0);  // no hover effect in any frame
  for (Program& program : programs) {
    std::printf("calibrating %s\n", program.name.c_str());
    std::fflush(stdout);
    if (!Calibrate(program)) return 1;
  }
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d\n", round + 1);
    for (std::size_t i = 0; i < programs.size(); ++i)
      if (!TimedRun(programs[(round + i) % programs.size()])) return 1;
  }
  ::timeEndPeriod(1);

  const double reference = Median(programs.front().painted);
  std::printf("\nmedians over %d runs each (from process start):\n", rounds);
  for (const Program& program : programs) {
    const double painted = Median(program.painted);
    std::printf("  %-10s visible %7.1f ms   painted %7.1f ms   painted / %s: %.2f\n",
                program.name.c_str(), Median(program.visible), painted,
                programs.front().name.c_str(), painted / reference);
  }
  for (const Program& program : programs) {
    if (program.firstStart.empty()) continue;
    std::printf("\n%s, its start-up's parts (medians; 'before paint' counts the time spent in\n"
                "the calls made before the first finished frame was seen):\n",
                program.name.c_str());
    std::vector<std::pair<double, std::string>> order;
    for (const auto& [what, starts] : program.firstStart) order.emplace_back(Median(starts), what);
    std::sort(order.begin(), order.end());
    for (const auto& [start, what] : order) {
      const auto spent = program.timeBeforePaint.find(what);
      const double total =
          spent == program.timeBeforePaint.end() ? 0 : std::max(0.0, Median(spent->second));
      std::printf("  %-22s first at %7.1f ms   before paint %7.1f ms\n", what.c_str(), start,
                  total);
    }
  }
  return 0;
}
