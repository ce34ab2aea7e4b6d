#include "process_objects.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

std::string Hex(unsigned long value) {
  char text[16];
  wsprintfA(text, "0x%08lx", value);
  return text;
}

// SystemExtendedHandleInformation: one entry per open handle in the system.
constexpr auto kExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

struct ExtendedHandleEntry {
  void* object;
  ULONG_PTR owner;
  ULONG_PTR value;
  ULONG access;
  USHORT creator_back_trace;
  USHORT type;
  ULONG attributes;
  ULONG reserved;
};
struct ExtendedHandleList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  ExtendedHandleEntry entries[1];
};

long CountHandles(DWORD pid, std::string& error) {
  std::vector<std::uint8_t> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status = ::NtQuerySystemInformation(
        kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch && buffer.size() < (256u << 20)) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status < 0) {
      error = "NtQuerySystemInformation(SystemExtendedHandleInformation) failed: " + Hex(status);
      return -1;
    }
    break;
  }
  const auto* list = reinterpret_cast<const ExtendedHandleList*>(buffer.data());
  long count = 0;
  for (ULONG_PTR i = 0; i < list->count; ++i)
    if (list->entries[i].owner == pid) ++count;
  return count;
}

// Wine's GDI handle table (win32u): 0x10000 entries of 24 bytes, in the process's own memory,
// its address in the PEB. An entry is in use while its type is not 0; bit 7 of its "unique"
// field marks the stock objects that every process has.
struct GdiEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user_pointer;
};
static_assert(sizeof(GdiEntry) == 24);
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::uint16_t kStockFlag = 0x80;
// PEB.GdiSharedHandleTable, in the probe's (and so the target's) own layout.
constexpr std::size_t kGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

long CountGdiObjects(HANDLE process, std::string& error) {
  PROCESS_BASIC_INFORMATION basic{};
  NTSTATUS status = ::NtQueryInformationProcess(process, ProcessBasicInformation, &basic,
                                                sizeof basic, nullptr);
  if (status < 0) {
    error = "NtQueryInformationProcess failed: " + Hex(status);
    return -1;
  }
  void* table = nullptr;
  const auto* peb = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress);
  if (!::ReadProcessMemory(process, peb + kGdiTableOffset, &table, sizeof table, nullptr)) {
    error = "reading the PEB failed: error " + std::to_string(::GetLastError());
    return -1;
  }
  if (!table) {
    error = "the process has no GDI handle table (GdiSharedHandleTable is null)";
    return -1;
  }
  MEMORY_BASIC_INFORMATION region{};
  if (!::VirtualQueryEx(process, table, &region, sizeof region)) {
    error = "VirtualQueryEx on the GDI handle table failed: error " + std::to_string(::GetLastError());
    return -1;
  }
  const std::size_t available = reinterpret_cast<std::uint8_t*>(region.BaseAddress) +
                                region.RegionSize - static_cast<std::uint8_t*>(table);
  std::vector<GdiEntry> entries(std::min(kGdiEntries, available / sizeof(GdiEntry)));
  SIZE_T read = 0;
  if (!::ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), &read)) {
    error = "reading the GDI handle table failed: error " + std::to_string(::GetLastError());
    return -1;
  }
  long count = 0;
  for (std::size_t i = 0; i < read / sizeof(GdiEntry); ++i)
    if (entries[i].type != 0 && !(entries[i].unique & kStockFlag)) ++count;
  return count;
}

struct WindowCount {
  DWORD pid;
  long count = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM state) {
  ++reinterpret_cast<WindowCount*>(state)->count;
  return TRUE;
}

void CountTree(HWND window, WindowCount& state) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != state.pid) return;
  ++state.count;
  ::EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&state));
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM state) {
  CountTree(window, *reinterpret_cast<WindowCount*>(state));
  return TRUE;
}

long CountWindows(DWORD pid) {
  WindowCount state{pid};
  ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&state));
  // EnumWindows leaves out message-only windows.
  for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
    CountTree(window, state);
  return state.count;
}

}  // namespace

bool CountProcessObjects(DWORD pid, ProcessObjects& counts, std::string& error) {
  const UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) {
    error = "OpenProcess(" + std::to_string(pid) + ") failed: error " + std::to_string(::GetLastError());
    return false;
  }
  counts.gdi = CountGdiObjects(process.get(), error);
  if (counts.gdi < 0) return false;
  counts.windows = CountWindows(pid);
  // Last, so that the probe's own handle to the process is not what the list shows of it.
  counts.handles = CountHandles(pid, error);
  return counts.handles >= 0;
}

DWORD FindProcess(const std::wstring& image, std::string& error) {
  HANDLE raw = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (raw == INVALID_HANDLE_VALUE) {
    error = "CreateToolhelp32Snapshot failed: error " + std::to_string(::GetLastError());
    return 0;
  }
  const UniqueHandle snapshot(raw);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  int matches = 0;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, image.c_str()) == 0) {
      found = entry.th32ProcessID;
      ++matches;
    }
  }
  if (matches != 1) {
    error = std::to_string(matches) + " processes run that image";
    return 0;
  }
  return found;
}
