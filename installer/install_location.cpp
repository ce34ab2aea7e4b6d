// The install location on the Windows side: the proposed folder, the folder browser, the
// drive and space checks and the product's registry key. What each step decides is in
// install_location_rules; here the platform is asked and the answer applied.

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/downloader_dlg.h"
#include "installer/install_location_rules.h"
#include "installer/package_contract.h"
#include "win32/com_apartment.h"
#include "win32/registry_key.h"
#include "win32/scoped_handles.h"

namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX;
static_assert(kBrowseFlags == 0x13);

// An item list that the shell allocated for us.
using ItemList = CoTaskMemPtr<ITEMIDLIST>;

// The folder the user confirms in the shell's folder browser (no owner, rooted at the
// desktop); empty when cancelled or when the item has no file-system path.
std::wstring AskForFolder() {
  const ComApartment com;
  BROWSEINFOW browse{};
  browse.lpszTitle = L"请选择安装目录";
  browse.ulFlags = kBrowseFlags;
  const ItemList chosen(::SHBrowseForFolderW(&browse));
  if (!chosen) return {};
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(chosen.get(), path)) return {};
  return path;
}

// The product key under HKEY_LOCAL_MACHINE, in the process's own registry view.
class ProductKeyInRegistry : public ProductKeyWriter {
public:
  bool CreateKey() override {
    RegistryKey created;  // closed again at once: the writes go through OpenKey's handle
    return created.Create(HKEY_LOCAL_MACHINE, package_contract::kProductKey, KEY_WRITE) == ERROR_SUCCESS;
  }
  bool OpenKey() override {
    return m_key.Open(HKEY_LOCAL_MACHINE, package_contract::kProductKey, KEY_ALL_ACCESS) == ERROR_SUCCESS;
  }
  bool SetString(const wchar_t* name, std::span<const wchar_t> data) override {
    return m_key.SetString(name, data) == ERROR_SUCCESS;
  }

private:
  RegistryKey m_key;
};

}  // namespace

void CDownloaderDlg::ProposeDefaultInstallDir() {
  wchar_t desktop[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE))
    desktop[0] = L'\0';
  wchar_t windows[MAX_PATH] = {};
  if (!::GetWindowsDirectoryW(windows, MAX_PATH)) windows[0] = L'\0';
  const std::wstring root = DesktopDriveRoot(desktop);
  const std::wstring folder = DefaultInstallFolder(
      desktop, root.empty() ? DRIVE_UNKNOWN : ::GetDriveTypeW(root.c_str()), windows);
  ::lstrcpynW(m_szInstallDir, folder.c_str(), MAX_PATH);
}

CString CDownloaderDlg::ReadInstallFolder() const { return m_editInstallDir.m_edit.GetWindowText(); }

void CDownloaderDlg::OnBtnChangeDir() {
  const std::wstring folder = BrowsedInstallFolder(AskForFolder());
  if (!folder.empty()) m_editInstallDir.SetText(CString(folder));
}

UINT CDownloaderDlg::GetInstallDriveType(std::wstring_view folder) const {
  const std::wstring drive(InstallDriveOf(folder));
  return ::GetDriveTypeW(drive.c_str());
}

BOOL CDownloaderDlg::CheckDiskSpace(std::wstring_view folder) const {
  const std::wstring drive(InstallDriveOf(folder));
  ULARGE_INTEGER available{}, total{}, free{};
  if (!::GetDiskFreeSpaceExW(drive.c_str(), &available, &total, &free))
    return HasEnoughSpace(std::nullopt);
  return HasEnoughSpace(available.QuadPart);
}

void CDownloaderDlg::SaveInstallDirToRegistry(std::wstring_view folder) {
  ProductKeyInRegistry key;
  if (SaveInstallFolder(key, folder))
    ::lstrcpynW(m_szInstallDir, std::wstring(folder).c_str(), MAX_PATH);
}
