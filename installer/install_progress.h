#pragma once
// Starting the package, and following it once it runs: how it is started, what a value read
// from its progress file means, where the bar then stands, when following ends, and what in
// the product key asks it to stop. Portable: no Windows headers. The Win32 side
// (install_flow.cpp, install_monitor.cpp) starts the package, reads the file and the registry
// and applies these.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The package needs the installer's rights, so it is started straight from the held file,
// never through a shell verb, which the user's own part of the registry can redefine. Its
// command line: its path in quotes, and nothing else (the install folder travels only through
// the product key).
std::wstring PackageCommandLine(std::wstring_view packagePath);

// The platform's error for a program that needs more rights than its starter has
// (ERROR_ELEVATION_REQUIRED, which mingw-w64's headers lack): the installer was started
// without elevation.
inline constexpr std::uint32_t kElevationRequired = 740;

// Whether a package that could not be started directly, for `startError`, is handed to the
// shell's "open" instead: only when the installer lacks the rights that the package asks for,
// where the shell asks the user for them; any other failure fails the start.
bool StartsThroughShell(std::uint32_t startError);

// The progress file's path below the download folder: "<folder>\Quillomark\Percent.ini".
std::wstring ProgressFilePath(std::wstring_view downloadFolder);

// The package's progress from what the profile reader returned for the progress key. The
// reader hands the text's value out as an unsigned 32-bit number, so "-5" arrives as
// 4294967291; taken as a signed 32-bit integer it is -5 again, and a negative progress counts
// as 0. Text that is no number arrives as 0; a number too large for 32 bits as the reader
// wrapped it.
int PackageProgress(std::uint32_t profileValue);

// A progress of 100 or more: the package is done.
bool IsPackageDone(int progress);

// The bar's value for a progress: 90 + progress x 10 / 100, rounded down, and at most 100
// (150 gives 100, not 105). The download fills the bar to 89 at most; the package's own
// progress fills the last tenth.
std::int64_t InstallBarValue(int progress);

// The position the bar moves to for a progress, or nothing when that would not move it
// forwards: the bar never goes back, and an unchanged bar is not repainted.
std::optional<std::int64_t> AdvanceInstallBar(std::int64_t current, int progress);

// Follows the package until it is done or another program of the product asks the installer
// to stop following: reads the progress; while the package is not done, asks whether a stop
// was requested, then waits for a change, then reads the progress again. `waitForChange`
// returns when something may have changed (or after a while in any case); an empty one makes
// this a busy loop.
void FollowPackage(const std::function<int()>& readProgress,
                   const std::function<bool()>& stopRequested,
                   const std::function<void()>& waitForChange);

// The longest that following sleeps between two looks when no change is reported: a safety
// net for changes that the platform's change notifications do not report.
inline constexpr unsigned kFollowSafetyWaitMs = 500;

// The most of the "Operation" value that is looked at: its first 260 bytes (130 wide
// characters). A longer value counts by its beginning.
inline constexpr std::size_t kOperationBytesRead = 260;

// Whether the "Operation" value's data (its type not looked at) asks the installer to stop
// following the package: its string, up to the first NUL within the bytes looked at, is the
// stop word exactly, in the same case and with nothing before or after. Empty data (no
// key, no value) is no request.
bool IsStopRequest(std::span<const std::byte> operationData);
