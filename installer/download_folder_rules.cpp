#include "installer/download_folder_rules.h"

#include <algorithm>
#include <cwctype>

bool IsInstallersOwnFolder(const FolderSecurity& security, std::wstring_view ownFoldersOwner) {
  const auto trustedAccount = [&](std::wstring_view sid) {
    return sid == folder_security::kSystem || sid == folder_security::kAdministrators ||
           (!ownFoldersOwner.empty() && sid == ownFoldersOwner);
  };
  if (!trustedAccount(security.owner) || !security.hasAccessList) return false;
  return std::none_of(security.entries.begin(), security.entries.end(), [&](const AccessEntry& e) {
    return !e.denies && (e.rights & folder_security::kChangeRights) && !trustedAccount(e.trustee);
  });
}

FolderStep DecideDownloadFolder(const FolderFacts& facts) {
  if (!facts.exists) return FolderStep::kCreate;
  if (facts.leadsElsewhere) return FolderStep::kRefuse;
  if (facts.isLink) return FolderStep::kRemoveLink;
  if (facts.isDirectory && facts.trusted) return FolderStep::kUse;
  return FolderStep::kTakeAside;
}

bool IsSamePath(std::wstring_view finalPath, std::wstring_view expected) {
  constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
  if (finalPath.starts_with(kLongPrefix)) finalPath.remove_prefix(kLongPrefix.size());
  return std::equal(finalPath.begin(), finalPath.end(), expected.begin(), expected.end(),
                    [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}
