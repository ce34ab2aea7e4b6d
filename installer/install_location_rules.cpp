#include "installer/install_location_rules.h"

#include <algorithm>

std::wstring DesktopDriveRoot(std::wstring_view desktopPath) {
  if (!BeginsWithDriveLetter(desktopPath)) return {};
  return std::wstring(desktopPath.substr(0, 2)) + L'\\';
}

std::wstring InstallerDrive(std::wstring_view desktopPath, unsigned desktopDriveType,
                            std::wstring_view windowsFolder) {
  if (BeginsWithDriveLetter(desktopPath) && desktopDriveType == kFixedDrive)
    return std::wstring(desktopPath.substr(0, 2));
  if (BeginsWithDriveLetter(windowsFolder)) return std::wstring(windowsFolder.substr(0, 2));
  return {};
}

std::wstring DefaultInstallFolder(std::wstring_view desktopPath, unsigned desktopDriveType,
                                  std::wstring_view windowsFolder) {
  const std::wstring drive = InstallerDrive(desktopPath, desktopDriveType, windowsFolder);
  if (drive.empty()) return {};
  return drive.front() + std::wstring(package_contract::kDefaultFolderTail);
}

std::wstring BrowsedInstallFolder(std::wstring_view chosenPath) {
  if (chosenPath.empty()) return {};
  return std::wstring(chosenPath) + package_contract::kBrowseFolderName;
}

bool BeginsWithDriveLetter(std::wstring_view path) {
  if (path.size() < 2 || path[1] != L':') return false;
  const wchar_t letter = path[0];
  return (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
}

bool IsLocalDrivePath(std::wstring_view folder) {
  if (!BeginsWithDriveLetter(folder)) return false;
  if (folder.size() == 2) return true;
  if (folder[2] != L'\\' && folder[2] != L'/') return false;
  for (std::size_t i = 3; i < folder.size(); ++i) {
    const bool endOfName = i + 1 == folder.size() || folder[i + 1] == L'\\' || folder[i + 1] == L'/';
    if (endOfName && (folder[i] == L' ' || folder[i] == L'.')) return false;
  }
  return true;
}

std::wstring_view InstallDriveOf(std::wstring_view folderText) { return folderText.substr(0, 2); }

bool HasEnoughSpace(std::optional<std::uint64_t> bytesAvailableToCaller) {
  if (!bytesAvailableToCaller) return true;
  return (*bytesAvailableToCaller >> 20) > 80;
}

LocationRefusal CheckInstallFolder(std::wstring_view folderText,
                                   const std::function<unsigned()>& driveType,
                                   const std::function<bool()>& enoughSpace) {
  if (folderText.size() > kMaxInstallFolderChars) return LocationRefusal::PathTooLong;
  if (!IsLocalDrivePath(folderText)) return LocationRefusal::NotLocalFixedDisk;
  if (driveType() != kFixedDrive) return LocationRefusal::NotLocalFixedDisk;
  if (!enoughSpace()) return LocationRefusal::NotEnoughSpace;
  return LocationRefusal::None;
}

const wchar_t* NoticeFor(LocationRefusal refusal) {
  switch (refusal) {
    case LocationRefusal::PathTooLong:
      return L"安装路径过长，请重新选择安装路径";
    case LocationRefusal::NotLocalFixedDisk:
      return L"请选择本地磁盘路径进行安装";
    case LocationRefusal::NotEnoughSpace:
      return L"当前所选磁盘内存不足，请重新选择安装路径";
    case LocationRefusal::None:
      break;
  }
  return nullptr;
}

std::optional<std::array<wchar_t, package_contract::kPathValueChars>> PathValueData(
    std::wstring_view folderText) {
  std::array<wchar_t, package_contract::kPathValueChars> data{};
  if (folderText.size() >= data.size()) return std::nullopt;
  std::copy(folderText.begin(), folderText.end(), data.begin());
  return data;
}

bool SaveInstallFolder(ProductKeyWriter& key, std::wstring_view folderText) {
  if (!key.CreateKey() || !key.OpenKey()) return false;
  const auto path = PathValueData(folderText);
  const bool pathWritten = path && key.SetString(package_contract::kPathValue, *path);
  static constexpr wchar_t kEmpty[] = L"";
  key.SetString(package_contract::kOperationValue, kEmpty);
  return pathWritten;
}
