#include "installer/download_folder.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "installer/download_folder_rules.h"
#include "installer/download_rules.h"
#include "installer/install_flow.h"
#include "win32/scoped_handles.h"

namespace {

std::wstring SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!sid || !::ConvertSidToStringSidW(sid, &text)) return {};
  const LocalPtr<wchar_t> owned(text);
  return text;
}

// folder_security::kOwnFolderDescriptor made usable; null if it cannot be.
LocalPtr<void> OwnDescriptor() {
  PSECURITY_DESCRIPTOR raw = nullptr;
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(folder_security::kOwnFolderDescriptor,
                                                         SDDL_REVISION_1, &raw, nullptr);
  return LocalPtr<void>(raw);
}

// The owner that the platform reports for what this process makes with the installer's own
// descriptor (owner Administrators): Administrators on Windows, the running account under
// Wine; empty when it cannot be learnt, and then only SYSTEM and Administrators are trusted.
//
// It is read from a file made for the purpose in `folder`, the folder being judged, through
// the handle of the call that made it: with CREATE_NEW that handle is on the new file, whatever
// others do to the folder meanwhile, and the owner the platform gives the file comes from this
// process's token and the descriptor (under Wine, from the Unix file system the folder is on),
// not from what others can change. A probe folder would have to be opened again by its name
// after being made, and the owner of a folder that is not the installer's may delete what is
// made in it and put a folder of their own in its place. Made in the folder that is about to be
// used or taken aside, nothing appears anywhere else; the file is shared with nobody and goes
// with its handle (delete on close).
std::wstring OwnerOfWhatThisProcessMakes(const std::wstring& folder) {
  const LocalPtr<void> descriptor = OwnDescriptor();
  if (!descriptor) return {};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  wchar_t name[32];
  ::wsprintfW(name, L"\\~owner-%08lx.tmp", ::GetCurrentProcessId());
  const UniqueHandle probe = AdoptHandle(::CreateFileW(
      (folder + name).c_str(), READ_CONTROL | DELETE, 0, &attributes, CREATE_NEW,
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR read = nullptr;
  if (!probe || ::GetSecurityInfo(probe.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                  nullptr, nullptr, nullptr, &read) != ERROR_SUCCESS)
    return {};
  const LocalPtr<void> readOwned(read);
  return SidText(owner);
}

FolderSecurity ReadSecurity(HANDLE folder) {
  PSID owner = nullptr;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  FolderSecurity security;
  if (::GetSecurityInfo(folder, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &acl, nullptr, &descriptor) != ERROR_SUCCESS)
    return security;
  const LocalPtr<void> owned(descriptor);
  security.owner = SidText(owner);
  security.hasAccessList = acl != nullptr;
  for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) {
      security.owner.clear();  // an entry that cannot be read cannot be judged
      break;
    }
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    AccessEntry entry;
    entry.denies = header->AceType == ACCESS_DENIED_ACE_TYPE;
    // Every ACE kind that carries a plain SID keeps it right after the mask; object ACEs
    // (kinds 5 to 8) carry GUIDs first and are judged by mask alone, with no trustee.
    const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    entry.rights = plain->Mask;
    if (header->AceType <= ACCESS_DENIED_ACE_TYPE)
      entry.trustee = SidText(const_cast<DWORD*>(&plain->SidStart));
    security.entries.push_back(std::move(entry));
  }
  return security;
}

// A handle on what stands at `path`, not following a link, shared for reading and writing
// but not deleting. It may list the folder: a handle with no access to the data (only to the
// attributes and the security) takes no part in sharing, and would keep nobody from renaming
// or removing the folder.
UniqueHandle OpenNoFollow(const std::wstring& path) {
  return AdoptHandle(::CreateFileW(path.c_str(),
                                   FILE_LIST_DIRECTORY | READ_CONTROL | FILE_READ_ATTRIBUTES |
                                       SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                   nullptr));
}

// The final path that `folder` itself must have: the final path of the folder it is in (the
// drive's root, followed as the platform follows it) and its name. A drive letter that stands
// for a folder (SUBST) then judges as itself, while a link at `folder` still leads elsewhere.
// Empty when the folder it is in cannot be opened.
std::wstring ExpectedFinalPath(const std::wstring& folder) {
  const std::size_t cut = folder.find_last_of(L'\\');
  if (cut == std::wstring::npos) return {};
  const UniqueHandle parent = AdoptHandle(::CreateFileW(
      folder.substr(0, cut + 1).c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!parent) return {};
  return FinalPathWithin(FinalPathOf(parent.get()), std::wstring_view(folder).substr(cut + 1));
}

FolderFacts ReadFacts(const std::wstring& folder, HANDLE handle, DWORD attributes) {
  FolderFacts facts;
  facts.exists = true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle && ::GetFileInformationByHandle(handle, &info)) attributes |= info.dwFileAttributes;
  facts.isDirectory = attributes & FILE_ATTRIBUTE_DIRECTORY;
  facts.isLink = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
  const std::wstring expected = ExpectedFinalPath(folder);
  facts.leadsElsewhere = !handle || expected.empty() || !IsSamePath(FinalPathOf(handle), expected);
  // Only a folder at its own path can be used; nothing is made in what a link leads to.
  facts.trusted = facts.isDirectory && !facts.isLink && !facts.leadsElsewhere &&
                  IsInstallersOwnFolder(ReadSecurity(handle), OwnerOfWhatThisProcessMakes(folder));
  return facts;
}

bool CreateOwnFolder(const std::wstring& folder) {
  const LocalPtr<void> descriptor = OwnDescriptor();
  if (!descriptor) return false;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  return ::CreateDirectoryW(folder.c_str(), &attributes) ||
         ::GetLastError() == ERROR_ALREADY_EXISTS;  // judged again on the next round
}

// Renames what stands at `folder` aside, with all it holds: it may be another user's.
bool TakeAside(const std::wstring& folder) {
  for (unsigned n = ::GetTickCount(), tries = 0; tries < 10; ++n, ++tries) {
    wchar_t suffix[16];
    ::wsprintfW(suffix, L".aside-%08x", n);
    if (::MoveFileExW(folder.c_str(), (folder + suffix).c_str(), 0)) return true;
    if (::GetLastError() != ERROR_ALREADY_EXISTS && ::GetLastError() != ERROR_FILE_EXISTS)
      return false;
  }
  return false;
}

}  // namespace

UniqueHandle HoldDownloadFolder(const std::wstring& folder, DWORD& error) {
  // Each round either holds a folder that passed, or changes what stands at the path; a
  // path that other programs keep changing under us fails after a few.
  for (int round = 0; round < 4; ++round) {
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    FolderFacts facts;
    UniqueHandle handle;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      handle = OpenNoFollow(folder);
      facts = ReadFacts(folder, handle.get(), attributes);
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
      error = ::GetLastError();
      return nullptr;
    }
    bool stepDone = false;
    switch (DecideDownloadFolder(facts)) {
      case FolderStep::kUse:
        error = ERROR_SUCCESS;
        return handle;
      case FolderStep::kCreate:
        stepDone = CreateOwnFolder(folder);
        break;
      case FolderStep::kRemoveLink:
        handle.reset();
        stepDone = (facts.isDirectory ? ::RemoveDirectoryW(folder.c_str())
                                      : ::DeleteFileW(folder.c_str())) != FALSE;
        break;
      case FolderStep::kTakeAside:
        handle.reset();
        stepDone = TakeAside(folder);
        break;
      case FolderStep::kRefuse:
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        break;
    }
    if (!stepDone) {
      error = ::GetLastError();
      return nullptr;
    }
  }
  error = ERROR_ACCESS_DENIED;
  return nullptr;
}

DWORD RemoveLeftover(const std::wstring& path) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 1; attempt <= kHoldAttempts; ++attempt) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    if (attributes & FILE_ATTRIBUTE_READONLY)
      ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (::DeleteFileW(path.c_str())) return ERROR_SUCCESS;
    error = ::GetLastError();
    // A scanner reading the file lets go soon; a folder in its place, or a file that another
    // program keeps open, will not.
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) break;
    ::Sleep(kHoldRetryMs);
  }
  return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? ERROR_SUCCESS : error;
}

UniqueHandle HoldFile(const std::wstring& path, DWORD& error) {
  for (int attempt = 1;; ++attempt) {
    UniqueHandle file = AdoptHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file ? ERROR_SUCCESS : ::GetLastError();
    if (file || attempt == kHoldAttempts) return file;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return nullptr;
    ::Sleep(kHoldRetryMs);
  }
}

std::wstring FinalPathOf(HANDLE handle) {
  wchar_t path[MAX_PATH + 8];
  const DWORD length =
      ::GetFinalPathNameByHandleW(handle, path, static_cast<DWORD>(std::size(path)), 0);
  if (length == 0 || length >= std::size(path)) return {};
  return std::wstring(path, length);
}
