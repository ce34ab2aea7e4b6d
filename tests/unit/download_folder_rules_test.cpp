#include "installer/download_folder_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kMe[] = L"S-1-5-21-1-2-3-1001";
constexpr wchar_t kUsers[] = L"S-1-5-32-545", kCreatorOwner[] = L"S-1-3-0",
                  kOtherUser[] = L"S-1-5-21-1-2-3-1002", kEveryone[] = L"S-1-1-0";
constexpr std::uint32_t kFullControl = 0x1F01FF, kReadAndExecute = 0x1200A9;

// The descriptor the installer gives its folder, as read back on Windows.
FolderSecurity OwnFolder() {
  return {folder_security::kAdministrators, true,
          {{false, folder_security::kSystem, kFullControl},
           {false, folder_security::kAdministrators, kFullControl},
           {false, kUsers, kReadAndExecute}}};
}

// The owner the platform gives what the installer makes: Administrators on Windows, the
// running account (kMe) under Wine.
constexpr const wchar_t* kOwnFoldersOwners[] = {folder_security::kAdministrators, kMe};

}  // namespace

TEST(DownloadFolderRules, OnlyTrustedOwnersAndNoChangeRightsForAnyoneElse) {
  // What Wine reads back for any folder: the running account owns it, Everyone reads.
  const FolderSecurity mine{kMe, true,
                            {{false, folder_security::kSystem, kFullControl},
                             {false, kMe, kFullControl},
                             {false, kEveryone, kReadAndExecute}}};
  EXPECT_TRUE(IsInstallersOwnFolder(mine, kMe));
  EXPECT_FALSE(IsInstallersOwnFolder(mine, folder_security::kAdministrators))
      << "on Windows a folder of the running account is what its unelevated programs made";
  FolderSecurity grantedToMe = OwnFolder();
  grantedToMe.entries.push_back({false, kMe, kFullControl});
  EXPECT_FALSE(IsInstallersOwnFolder(grantedToMe, folder_security::kAdministrators))
      << "nor may the running account change an Administrators' folder there";
  FolderSecurity system = OwnFolder();
  system.owner = folder_security::kSystem;
  for (const wchar_t* owner : {folder_security::kAdministrators, kMe, L""}) {
    EXPECT_TRUE(IsInstallersOwnFolder(OwnFolder(), owner));
    EXPECT_TRUE(IsInstallersOwnFolder(system, owner));
  }

  struct Row {
    const char* what;
    FolderSecurity security;
  };
  const auto granting = [](const wchar_t* who, std::uint32_t rights) {
    FolderSecurity s = OwnFolder();
    s.entries.push_back({false, who, rights});
    return s;
  };
  const Row refused[] = {
      {"owned by another user", {kOtherUser, true, OwnFolder().entries}},
      {"owned by Users", {kUsers, true, OwnFolder().entries}},
      {"no owner read", {L"", true, OwnFolder().entries}},
      {"no access list: everyone may do everything", {folder_security::kAdministrators, false, {}}},
      {"Users may add files", granting(kUsers, 0x2)},
      {"Users may add folders", granting(kUsers, 0x4)},
      {"Users may delete children", granting(kUsers, 0x40)},
      {"Users may delete it", granting(kUsers, 0x10000)},
      {"Users may change its access list", granting(kUsers, 0x40000)},
      {"Users may take it over", granting(kUsers, 0x80000)},
      {"Users have generic write", granting(kUsers, 0x40000000)},
      {"Users have generic all", granting(kUsers, 0x10000000)},
      {"creator owner has full control of what is made in it", granting(kCreatorOwner, kFullControl)},
      {"Everyone may write (a Unix folder with mode 0777 under Wine)", granting(kEveryone, 0x1301BF)},
  };
  for (const wchar_t* owner : kOwnFoldersOwners)
    for (const Row& row : refused)
      EXPECT_FALSE(IsInstallersOwnFolder(row.security, owner)) << row.what;
  EXPECT_FALSE(IsInstallersOwnFolder({kMe, true, {}}, L""))
      << "an owner that could not be learnt trusts nobody but SYSTEM and Administrators";

  FolderSecurity denied = OwnFolder();
  denied.entries.push_back({true, kUsers, kFullControl});
  for (const wchar_t* owner : kOwnFoldersOwners)
    EXPECT_TRUE(IsInstallersOwnFolder(denied, owner)) << "a deny entry only takes rights away";
}

TEST(DownloadFolderRules, WhatStandsAtThePathDecidesTheStep) {
  // exists, isDirectory, isLink, leadsElsewhere, trusted
  EXPECT_EQ(DecideDownloadFolder({}), FolderStep::kCreate);
  EXPECT_EQ(DecideDownloadFolder({true, true, false, false, true}), FolderStep::kUse);
  EXPECT_EQ(DecideDownloadFolder({true, true, true, false, true}), FolderStep::kRemoveLink)
      << "a link is never used, whatever it leads to";
  EXPECT_EQ(DecideDownloadFolder({true, false, true, false, false}), FolderStep::kRemoveLink);
  EXPECT_EQ(DecideDownloadFolder({true, true, true, true, true}), FolderStep::kRefuse)
      << "a link that the platform follows even when told not to cannot be removed as a link";
  EXPECT_EQ(DecideDownloadFolder({true, true, false, true, true}), FolderStep::kRefuse);
  EXPECT_EQ(DecideDownloadFolder({true, true, false, false, false}), FolderStep::kTakeAside);
  EXPECT_EQ(DecideDownloadFolder({true, false, false, false, true}), FolderStep::kTakeAside)
      << "a file in the folder's place";

  EXPECT_TRUE(IsSamePath(L"\\\\?\\c:\\VARNIX", L"C:\\varnix"));
  EXPECT_TRUE(IsSamePath(L"C:\\varnix", L"C:\\varnix"));
  EXPECT_FALSE(IsSamePath(L"\\\\?\\C:\\target", L"C:\\varnix"));
  EXPECT_FALSE(IsSamePath(L"\\\\?\\C:\\varnix\\x", L"C:\\varnix"));
  EXPECT_FALSE(IsSamePath(L"", L"C:\\varnix"));
}
