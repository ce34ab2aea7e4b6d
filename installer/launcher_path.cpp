#include "installer/launcher_path.h"

#include "installer/install_location_rules.h"
#include "installer/package_contract.h"

std::optional<std::wstring> LauncherPath(std::wstring_view installFolder) {
  if (!IsLocalDrivePath(installFolder)) return std::nullopt;
  std::wstring path = std::wstring(installFolder) + L"\\" + package_contract::kLauncherName;
  if (path.size() + 1 > kPathChars) return std::nullopt;
  return path;
}
