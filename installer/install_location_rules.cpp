#include "installer/install_location_rules.h"

#include "installer/package_contract.h"

std::wstring DefaultInstallFolder(std::wstring_view desktopPath) {
  if (desktopPath.empty()) return {};
  return std::wstring(1, desktopPath.front()) + package_contract::kDefaultFolderTail;
}
