#include "installer/install_progress.h"

#include <algorithm>
#include <string>

#include "installer/package_contract.h"

namespace pc = package_contract;

std::wstring PackageCommandLine(std::wstring_view packagePath) {
  std::wstring commandLine(L"\"");
  commandLine += packagePath;
  commandLine += L'"';
  return commandLine;
}

bool StartsThroughShell(std::uint32_t startError) { return startError == kElevationRequired; }

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

bool IsStopRequest(std::span<const std::byte> operationData) {
  // The data is UTF-16LE; its string ends at the first NUL or where reading stops (an odd
  // last byte is the low half of a character whose high half is 0, as in a zeroed buffer).
  const std::size_t read = std::min(operationData.size(), kOperationBytesRead);
  std::u16string text;
  for (std::size_t i = 0; i < read; i += 2) {
    const auto low = std::to_integer<unsigned>(operationData[i]);
    const auto high = i + 1 < read ? std::to_integer<unsigned>(operationData[i + 1]) : 0u;
    const auto c = static_cast<char16_t>(low | high << 8);
    if (c == u'\0') break;
    text.push_back(c);
  }
  const std::wstring_view stop = package_contract::kStopWord;
  return std::equal(text.begin(), text.end(), stop.begin(), stop.end(),
                    [](char16_t a, wchar_t b) { return a == static_cast<char16_t>(b); });
}
