#pragma once
// Start-up notes of the benchmark's programs (first_paint_bench.cpp reads them): what
// happened when, kept in memory and written at exit to PROGRAM.exe.trace beside the
// program, one line each: what, argument, start, end, in 100 ns units of the system's
// precise clock, which the benchmark reads too. The first note is the program's static
// initialisation: the loader, its DLLs and the C run-time are done by then.
#include <windows.h>

namespace trace_notes {

struct Note {
  const char* what;
  int argument;
  ULONGLONG start;
  ULONGLONG end;
};

inline ULONGLONG Now() {
  FILETIME time;
  ::GetSystemTimePreciseAsFileTime(&time);
  return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

class Trace {
public:
  Trace() { Add("static initialisation", 0, Now()); }
  ~Trace() { Write(); }
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  Note* Add(const char* what, int argument, ULONGLONG start) {
    if (m_count == kCapacity) return &m_overflow;
    m_notes[m_count] = {what, argument, start, start};
    return &m_notes[m_count++];
  }

private:
  void Write() const {
    wchar_t path[MAX_PATH + 8] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    ::lstrcatW(path, L".trace");
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    for (int i = 0; i < m_count; ++i) {
      char line[160];
      const int size = ::wsprintfA(line, "%s\t%d\t%I64u\t%I64u\r\n", m_notes[i].what,
                                   m_notes[i].argument, m_notes[i].start, m_notes[i].end);
      DWORD written = 0;
      ::WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
    }
    ::CloseHandle(file);
  }

  static constexpr int kCapacity = 512;
  Note m_notes[kCapacity] = {};
  Note m_overflow = {};
  int m_count = 0;
};

inline Trace g_trace;

// Notes one call: its start when made, its end when it goes out of scope.
class Timed {
public:
  Timed(const char* what, int argument) : m_note(g_trace.Add(what, argument, Now())) {}
  ~Timed() { m_note->end = Now(); }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

private:
  Note* m_note;
};

}  // namespace trace_notes
