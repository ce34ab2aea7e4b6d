#include "win32/system_library.h"

#include <cwchar>

namespace {

using SetDefaultDllDirectoriesFunction = decltype(&::SetDefaultDllDirectories);

// Windows 8 and later export it from kernel32, and Windows 7 does once update KB2533623 is
// installed; the same update brings the LOAD_LIBRARY_SEARCH_* flags. Imported by name it
// would keep the program from starting on a Windows 7 without the update.
SetDefaultDllDirectoriesFunction SetDefaultDllDirectoriesOfSystem() noexcept {
  return ExportOf<SetDefaultDllDirectoriesFunction>(::GetModuleHandleW(L"kernel32.dll"),
                                                    "SetDefaultDllDirectories");
}

}  // namespace

bool SystemKnowsDllSearchFlags() noexcept { return SetDefaultDllDirectoriesOfSystem() != nullptr; }

bool RestrictDllSearchToSystemFolder() noexcept {
  // Known on every version: takes the current folder out of the older search order, which is
  // all that still applies where the call below is missing.
  ::SetDllDirectoryW(L"");
  const SetDefaultDllDirectoriesFunction restrict = SetDefaultDllDirectoriesOfSystem();
  // Where it is missing (Windows 7 without KB2533623) the program still runs: its imports
  // are Known DLLs, which Windows takes from the system folder anyway, and SystemLibrary
  // names the system folder in full. Only what Windows' own DLLs load by name on the
  // program's behalf is then searched beside the program first, as for every program on
  // such a system; refusing to run would not make that system safer.
  return restrict && restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadFromSystemFolder(const wchar_t* fileName, bool searchFlags) noexcept {
  if (searchFlags) return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  const UINT folder = ::GetSystemDirectoryW(path, MAX_PATH);
  if (folder == 0) return nullptr;
  const std::size_t name = std::wcslen(fileName);
  if (folder + 1 + name >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  path[folder] = L'\\';
  std::wmemcpy(path + folder + 1, fileName, name + 1);
  // A full path, and its imports searched in the DLL's own folder (the system folder) first.
  return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) noexcept
    : m_module(LoadFromSystemFolder(fileName, SystemKnowsDllSearchFlags())) {
  if (!m_module) m_error = ::GetLastError();
}

SystemLibrary::~SystemLibrary() {
  if (m_module) ::FreeLibrary(m_module);
}

void KeepSystemLibrariesLoaded(std::initializer_list<const wchar_t*> fileNames) noexcept {
  for (const wchar_t* fileName : fileNames) SystemLibrary(fileName).KeepForProcess();
}
