// DLLs loaded from the system folder, in both ways a Windows may offer, and what a failed
// load or a missing export reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "win32/system_library.h"

namespace {

std::wstring FolderOf(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  const std::wstring file(path, length);
  return file.substr(0, file.find_last_of(L'\\'));
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  return {path, ::GetSystemDirectoryW(path, MAX_PATH)};
}

TEST(SystemLibrary, LoadsFromTheSystemFolderWithAndWithoutSearchFlags) {
  for (const bool searchFlags : {true, false}) {
    const HMODULE module = LoadFromSystemFolder(L"msimg32.dll", searchFlags);
    ASSERT_NE(module, nullptr) << "search flags " << searchFlags << ", error " << ::GetLastError();
    EXPECT_EQ(::CompareStringOrdinal(FolderOf(module).c_str(), -1, SystemFolder().c_str(), -1,
                                     TRUE),
              CSTR_EQUAL)
        << "search flags " << searchFlags;
    ::FreeLibrary(module);
  }
}

TEST(SystemLibrary, ResolvesExportsAndReportsWhatFails) {
  SystemLibrary kernel(L"kernel32.dll");
  decltype(&::GetCurrentProcessId) processId = nullptr;
  ASSERT_TRUE(kernel.Resolve(processId, "GetCurrentProcessId"));
  EXPECT_EQ(processId(), ::GetCurrentProcessId());
  decltype(&::GetCurrentProcessId) missing = processId;
  EXPECT_FALSE(kernel.Resolve(missing, "InkvaneNoSuchExport"));
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(kernel.error(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  SystemLibrary absent(L"inkvane-no-such-library.dll");
  EXPECT_EQ(absent.get(), nullptr);
  EXPECT_EQ(absent.error(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(absent.Resolve(processId, "GetCurrentProcessId"));
  EXPECT_EQ(processId, nullptr);
}

}  // namespace
