#pragma once
// Whether the download folder may be trusted, and what to do with what stands at its path.
// Portable: the Win32 side (download_folder.cpp) reads the folder through a handle and hands
// the facts here as strings and numbers.
//
// The download folder sits at the root of a drive, where on Windows every user may create a
// folder and change what they created. The installer runs elevated and starts the file it
// downloads there, so it uses a folder only when no other account can change it or what is
// made in it, and otherwise takes the folder out of the way and makes its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace folder_security {

// Well-known accounts, as string SIDs.
inline constexpr wchar_t kSystem[] = L"S-1-5-18";
inline constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";

// The descriptor the installer gives the folder it makes: owner Administrators; full control
// for SYSTEM and Administrators and read and execute for Users, each inherited by what the
// folder will hold (the package's progress folder among it); nothing inherited from the drive.
inline constexpr wchar_t kOwnFolderDescriptor[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Access rights that change a folder or what is made in it: write data / add file, append /
// add sub-folder, write extended attributes, delete child, write attributes, DELETE,
// WRITE_DAC, WRITE_OWNER, generic all, generic write.
inline constexpr std::uint32_t kChangeRights = 0x0002 | 0x0004 | 0x0010 | 0x0040 | 0x0100 |
                                               0x0001'0000 | 0x0004'0000 | 0x0008'0000 |
                                               0x1000'0000 | 0x4000'0000;

}  // namespace folder_security

// One entry of a folder's access list. Inherit-only entries count like any other: they
// grant their rights on what is made in the folder.
struct AccessEntry {
  bool denies = false;  // an access-denied entry; every other kind is taken as granting
  std::wstring trustee;  // string SID
  std::uint32_t rights = 0;
};

// A folder's owner and access list, as read from the folder.
struct FolderSecurity {
  std::wstring owner;          // string SID; empty when none could be read
  bool hasAccessList = false;  // false: no list at all, which grants everyone everything
  std::vector<AccessEntry> entries;
};

// True when the folder is owned by SYSTEM, Administrators or `ownFoldersOwner`, has an access
// list, and that list grants no other account any of folder_security::kChangeRights. Deny
// entries only take rights away and are not counted.
//
// `ownFoldersOwner` is the owner that the platform reports for what this process itself makes
// with owner Administrators (kOwnFolderDescriptor), empty when that could not be learnt. On
// Windows it is Administrators, which an elevated administrator may name as owner. Wine keeps
// no descriptor and reports every object as owned by the account the process runs as, so
// there it is that account. It is not simply the running account: on Windows, a folder owned
// by the running account (and not by Administrators) is one that the same user's unelevated
// programs made, and may have filled.
bool IsInstallersOwnFolder(const FolderSecurity& security, std::wstring_view ownFoldersOwner);

// What stands at the download folder's path.
struct FolderFacts {
  bool exists = false;
  bool isDirectory = false;
  bool isLink = false;  // a symbolic link, junction or mount point
  // Opening the name without following links still led somewhere else (the handle's final
  // path is another): the platform follows what stands there, so removing or renaming it
  // would act on what it leads to. Wine does so with a Unix symbolic link.
  bool leadsElsewhere = false;
  bool trusted = false;  // a folder at its own path, and IsInstallersOwnFolder on what the
                         // handle reads
};

enum class FolderStep {
  kUse,         // the installer's own folder: hold it and download into it
  kCreate,      // nothing there: make the folder with kOwnFolderDescriptor
  kRemoveLink,  // remove the link itself, never what it leads to; then make the folder
  kTakeAside,   // a file, or a folder that is not the installer's own: rename it aside with
                // all it holds, never delete it; then make the folder
  kRefuse,      // nothing can be done to it safely: the download fails
};

FolderStep DecideDownloadFolder(const FolderFacts& facts);

// Whether a handle's final path (as the platform reports it, maybe with the "\\?\" prefix)
// names `expected`, without regard to case.
bool IsSamePath(std::wstring_view finalPath, std::wstring_view expected);
