// Test helper: another program that tries to change a file, as an intruder would.
//   inkvane_file_probe.exe write PATH    open it for writing (nothing is written)
//   inkvane_file_probe.exe rename PATH   rename it, a file or a folder (and back again when
//                                        that worked)
//   inkvane_file_probe.exe delete PATH   delete it
//   inkvane_file_probe.exe hold PATH S   keep it open for reading, sharing only reading, for S
//                                        seconds (as a user's program that has it open)
// The exit code is the platform's error code of the attempt: 0 when it worked, 32 when
// another program's handle forbade it.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 87;  // ERROR_INVALID_PARAMETER
  const std::wstring action = argv[1], path = argv[2];
  if (action == L"write") {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(::GetLastError());
    ::CloseHandle(file);
    return 0;
  }
  if (action == L"rename") {
    const std::wstring moved = path + L".moved";
    if (!::MoveFileW(path.c_str(), moved.c_str())) return static_cast<int>(::GetLastError());
    ::MoveFileW(moved.c_str(), path.c_str());
    return 0;
  }
  if (action == L"hold" && argc == 4) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(::GetLastError());
    ::Sleep(static_cast<DWORD>(::_wtoi(argv[3])) * 1000);
    ::CloseHandle(file);
    return 0;
  }
  if (action == L"delete")
    return ::DeleteFileW(path.c_str()) ? 0 : static_cast<int>(::GetLastError());
  return 87;
}
