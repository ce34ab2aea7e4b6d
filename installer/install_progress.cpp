#include "installer/install_progress.h"

#include <algorithm>

#include "installer/package_contract.h"

namespace pc = package_contract;

std::wstring ProgressFilePath(std::wstring_view downloadFolder) {
  std::wstring path(downloadFolder);
  path += L'\\';
  path += pc::kProgressFolderName;
  path += L'\\';
  path += pc::kProgressFileName;
  return path;
}

int PackageProgress(std::uint32_t profileValue) {
  const auto progress = static_cast<std::int32_t>(profileValue);  // modular since C++20
  return std::max<std::int32_t>(progress, 0);
}

bool IsPackageDone(int progress) { return progress >= pc::kProgressDone; }

std::int64_t InstallBarValue(int progress) {
  const std::int64_t value = 90 + std::int64_t{std::max(progress, 0)} * 10 / 100;
  return std::min<std::int64_t>(value, 100);
}

std::optional<std::int64_t> AdvanceInstallBar(std::int64_t current, int progress) {
  const std::int64_t value = InstallBarValue(progress);
  if (value <= current) return std::nullopt;
  return value;
}

void FollowPackage(const std::function<int()>& readProgress,
                   const std::function<bool()>& stopRequested,
                   const std::function<void()>& waitForChange) {
  for (int progress = readProgress(); !IsPackageDone(progress); progress = readProgress()) {
    if (stopRequested()) return;
    if (waitForChange) waitForChange();
  }
}
