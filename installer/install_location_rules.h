#pragma once
// Rules for the install folder: the proposal, the browse step's result, the install
// command's checks, and what goes into and comes out of the product's registry key.
// Portable: the Win32 side (install_location.cpp) asks the platform and applies these.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "installer/package_contract.h"

// The root of the desktop folder's drive ("D:\"), whose type the platform is asked for
// InstallerDrive; empty when the desktop's path does not begin with a drive letter (a share,
// or no desktop), and then nothing is asked.
std::wstring DesktopDriveRoot(std::wstring_view desktopPath);

// The drive on which the installer proposes the install folder and keeps its download
// folder, as its letter and a colon ("D:"): the desktop folder's drive, when the desktop's
// path begins with a drive letter and `desktopDriveType` (the platform's type of
// DesktopDriveRoot) is a local fixed disk; otherwise the Windows folder's. A desktop redirected to a
// network share gives no drive at all, and one on a network, removable, optical or RAM
// drive, or on a drive the elevated installer cannot see (such a process does not see the
// drives that the user's own session mapped), would put an elevated program's folder where
// it cannot be made or where others can change it; so does no desktop (`desktopPath`
// empty). The letter keeps its case. Empty when the path chosen does not begin with a drive
// letter.
std::wstring InstallerDrive(std::wstring_view desktopPath, unsigned desktopDriveType,
                            std::wstring_view windowsFolder);

// The folder proposed before the user chooses: InstallerDrive followed by a fixed folder,
// e.g. "C:\Program Files (x86)\varnix\QuilloMark". Empty when there is no drive.
std::wstring DefaultInstallFolder(std::wstring_view desktopPath, unsigned desktopDriveType,
                                  std::wstring_view windowsFolder);

// The folder field's new text after the user picked `chosenPath` in the folder browser: the
// path with the product's folder name appended as it stands, so that a drive root ("E:\")
// gives two separators in a row and a path already ending in the name gets it twice. Empty
// when `chosenPath` is empty (cancelled, or an item without a file-system path): the field
// then keeps its text.
std::wstring BrowsedInstallFolder(std::wstring_view chosenPath);

// The program's path buffers hold this many wide characters, the terminator included.
inline constexpr std::size_t kPathChars = package_contract::kPathValueChars;
// The longest folder text the install command accepts: the launcher's path inside it,
// "<folder>\<launcher>", must still fit a path buffer.
inline constexpr std::size_t kMaxInstallFolderChars =
    kPathChars - 1 - (1 + std::char_traits<wchar_t>::length(package_contract::kLauncherName));

// Whether `path` begins with a drive letter (A to Z in either case) and a colon.
bool BeginsWithDriveLetter(std::wstring_view path);

// Whether `folder` is a drive letter and a colon, alone or followed by a separator and
// folder names none of which ends in a blank or a dot. Everything else may be taken by the
// platform to mean another folder than the one the text shows: "C:foo" lies in the drive's
// current folder (for the package, its own working folder), Windows drops a trailing blank or
// dot, and the "\\?\" and "\\.\" forms bypass the platform's path rules. "E:\\Quillomark",
// what browsing to a drive's root gives, passes.
bool IsLocalDrivePath(std::wstring_view folder);

// The part of the folder text whose drive the checks ask about: its first two characters
// (drive letter and colon), or the whole text when it is shorter. A UNC path gives "\\".
std::wstring_view InstallDriveOf(std::wstring_view folderText);

// The platform's drive type that the install command accepts: a fixed local disk.
inline constexpr unsigned kFixedDrive = 3;

// Whether the space available to the user on the folder's drive is enough: more than 80
// whole MiB (81 MiB passes, a byte less does not). nullopt, a drive whose free space
// cannot be learnt, passes.
bool HasEnoughSpace(std::optional<std::uint64_t> bytesAvailableToCaller);

// Why the install command refuses the folder text, if it does.
enum class LocationRefusal { None, PathTooLong, NotLocalFixedDisk, NotEnoughSpace };

// The install command's checks, in order: the text's length, its form (IsLocalDrivePath,
// refused as not on a local disk), its drive's type, its drive's free space. The first that fails is the answer and the later ones are not asked, so the
// user sees one notice at most. `driveType` and `enoughSpace` ask the platform about the
// folder field as it is then.
LocationRefusal CheckInstallFolder(std::wstring_view folderText,
                                   const std::function<unsigned()>& driveType,
                                   const std::function<bool()>& enoughSpace);

// The notice the user is shown for a refusal; null for None.
const wchar_t* NoticeFor(LocationRefusal refusal);

// The data of the "Path" value: the folder text followed by NULs up to kPathValueChars
// wide characters, always the same size. nullopt when the text and its terminator do not
// fit, which is never written rather than written cut short.
std::optional<std::array<wchar_t, package_contract::kPathValueChars>> PathValueData(
    std::wstring_view folderText);

// The product key as saving the install folder uses it; the Win32 side backs it with the
// registry, tests with a recorder.
class ProductKeyWriter {
public:
  virtual ~ProductKeyWriter() = default;
  // Creates the key where it is missing. False when it cannot be created.
  virtual bool CreateKey() = 0;
  // Opens the key for writing, for the rest of this object's life. False on failure.
  virtual bool OpenKey() = 0;
  // Sets REG_SZ value `name` to exactly these characters (terminator and fill included).
  virtual bool SetString(const wchar_t* name, std::span<const wchar_t> data) = 0;
};

// Hands the folder text to the package: creates the key, opens it, writes "Path", then
// clears "Operation" (an empty string) whatever "Path" gave, so that a stop request left by
// an earlier run does not end the next one. Nothing is written when the key cannot be
// created or opened. True only when "Path" was written: then, and only then, the caller
// takes the text as its install folder.
bool SaveInstallFolder(ProductKeyWriter& key, std::wstring_view folderText);
