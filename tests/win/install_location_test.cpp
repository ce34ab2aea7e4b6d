// The install location against the platform: the drives of the test prefix, of every type
// Wine can make (tests/wine-run.sh maps them), and the product key in the real registry,
// read back with the platform's own calls and with Wine's reg.exe as another program.
#include "installer/install_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "installer/downloader_dlg.h"
#include "installer/package_contract.h"
#include "window_test_support.h"

namespace {

namespace pc = package_contract;

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

std::optional<RawValue> ReadRaw(const wchar_t* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  RawValue value;
  DWORD size = 0;
  LONG result = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    value.bytes.resize(size);
    result = ::RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
  }
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

void WriteRaw(const wchar_t* name, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegSetValueExW(key, name, 0, REG_SZ, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
  ::RegCloseKey(key);
}

void WriteString(const wchar_t* name, const std::wstring& text) {
  WriteRaw(name, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// What Wine's reg.exe, another program, prints for the product key, in the registry view this
// build writes (a 32-bit program's is the 32-bit view).
std::string QueryWithRegExe() {
  std::wstring command = std::wstring(L"reg.exe query \"HKLM\\") + pc::kProductKey + L"\" " +
                         (sizeof(void*) == 4 ? L"/reg:32" : L"/reg:64");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "CreatePipe failed";
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  ::CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char chunk[512];
    DWORD got = 0;
    while (::ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got) output.append(chunk, got);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(readEnd);
  return started ? output : "reg.exe did not start";
}

class InstallLocationTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pc::kProductKey);
    ASSERT_TRUE(dlg.Create());
    PumpFor(50);
    ASSERT_NE(dlg.m_editInstallDir.m_edit.m_hWnd, nullptr) << "the folder field is drawn";
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pc::kProductKey); }

  // Puts `text` into the folder field as typing would.

  CDownloaderDlg dlg;
};

}  // namespace

TEST_F(InstallLocationTest, DriveTypeIsThatOfTheFoldersDrive) {
  const struct {
    const wchar_t* folder;
    UINT type;
  } cases[] = {
      {L"C:\\Program Files (x86)\\varnix\\QuilloMark", DRIVE_FIXED},
      {L"C:", DRIVE_FIXED},
      {L"G:\\Apps", DRIVE_FIXED},                       // a second hard disk
      {L"D:\\Apps", DRIVE_REMOVABLE},                   // floppy
      {L"E:\\Apps", DRIVE_CDROM},
      {L"F:\\Apps", DRIVE_REMOTE},                      // network
      {L"Q:\\Apps", DRIVE_NO_ROOT_DIR},                 // no such drive
      {L"\\\\server\\share\\Apps", DRIVE_NO_ROOT_DIR},  // UNC
      {L"", DRIVE_NO_ROOT_DIR},
  };
  for (const auto& c : cases)
    EXPECT_EQ(dlg.GetInstallDriveType(c.folder), c.type) << "folder \"" << c.folder << "\"";
  EXPECT_TRUE(dlg.CheckDiskSpace(L"C:"));
  EXPECT_TRUE(dlg.CheckDiskSpace(L"Q:\\Apps")) << "a drive whose free space cannot be learnt passes";
}

TEST_F(InstallLocationTest, SavingWritesAFilledPathAndClearsAStopRequest) {
  WriteString(pc::kPathValue, L"C:\\old");
  WriteString(pc::kOperationValue, pc::kStopWord);
  dlg.SaveInstallDirToRegistry(L"G:\\Apps\\Inkvane");
  EXPECT_STREQ(dlg.m_szInstallDir, L"G:\\Apps\\Inkvane");

  const auto path = ReadRaw(pc::kPathValue);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->type, static_cast<DWORD>(REG_SZ));
  ASSERT_EQ(path->bytes.size(), 520u);
  EXPECT_STREQ(reinterpret_cast<const wchar_t*>(path->bytes.data()), L"G:\\Apps\\Inkvane");
  const std::size_t textBytes = (std::wstring_view(L"G:\\Apps\\Inkvane").size()) * sizeof(wchar_t);
  EXPECT_EQ(std::count(path->bytes.begin() + textBytes, path->bytes.end(), 0),
            static_cast<long>(520 - textBytes))
      << "NULs after the text";
  const auto operation = ReadRaw(pc::kOperationValue);
  ASSERT_TRUE(operation);
  EXPECT_EQ(operation->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(operation->bytes, (std::vector<BYTE>{0, 0})) << "the empty string";
  EXPECT_FALSE(IsOperationUninstall());

  const std::string listing = QueryWithRegExe();  // "    NAME    TYPE    DATA" lines
  EXPECT_NE(listing.find("    Path    REG_SZ    G:\\Apps\\Inkvane\r\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("    Operation    REG_SZ    \r\n"), std::string::npos) << listing;
}

TEST_F(InstallLocationTest, OnlyTheExactStopWordEndsTheFollowing) {
  EXPECT_FALSE(IsOperationUninstall()) << "no key";
  WriteString(pc::kPathValue, L"C:\\x");
  EXPECT_FALSE(IsOperationUninstall()) << "no value";

  WriteString(pc::kOperationValue, pc::kStopWord);
  EXPECT_TRUE(IsOperationUninstall());
  WriteString(pc::kOperationValue, L"uninstall");
  EXPECT_FALSE(IsOperationUninstall());

  // Filled with NULs to 520 bytes, as "Path" is: longer than the part looked at, which the
  // platform does not hand out on its own.
  wchar_t filled[260] = {};
  std::wcscpy(filled, pc::kStopWord);
  WriteRaw(pc::kOperationValue, filled, sizeof filled);
  EXPECT_TRUE(IsOperationUninstall());
}
