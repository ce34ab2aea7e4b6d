#include "installer/install_location_rules.h"

std::wstring DefaultInstallFolder(std::wstring_view desktopPath) {
  if (desktopPath.empty()) return {};
  return std::wstring(1, desktopPath.front()) + L":\\Program Files (x86)\\varnix\\QuilloMark";
}
