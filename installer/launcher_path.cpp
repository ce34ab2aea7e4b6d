#include "installer/launcher_path.h"

#include "installer/install_location_rules.h"
#include "installer/package_contract.h"

namespace {

bool IsAbsoluteDrivePath(std::wstring_view folder) {
  if (folder.size() < 2 || folder[1] != L':') return false;
  const wchar_t letter = folder[0];
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return false;
  return folder.size() == 2 || folder[2] == L'\\' || folder[2] == L'/';
}

}  // namespace

std::optional<std::wstring> LauncherPath(std::wstring_view installFolder) {
  if (!IsAbsoluteDrivePath(installFolder)) return std::nullopt;
  std::wstring path = std::wstring(installFolder) + L"\\" + package_contract::kLauncherName;
  if (path.size() + 1 > kPathChars) return std::nullopt;
  return path;
}
