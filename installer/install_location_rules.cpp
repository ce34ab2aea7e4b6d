#include "installer/install_location_rules.h"

#include "installer/package_contract.h"

std::wstring DefaultInstallFolder(std::wstring_view desktopPath, std::wstring_view windowsFolder) {
  const std::wstring_view drive = desktopPath.empty() ? windowsFolder : desktopPath;
  if (drive.empty()) return {};
  return std::wstring(1, drive.front()) + package_contract::kDefaultFolderTail;
}
