#pragma once
// What the package download accepts, where it puts the package, and how it ends.
// Portable: no Windows headers.
//
// The installer runs elevated and starts what it downloads, so the package counts only when
// it came over verified TLS from the vendor's host (or a content host the build lists) with
// status 200, and the file held at the package's path is exactly what the moniker delivered.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class DownloadResult {
  kSucceeded,
  kNoDownloadFolder,  // the desktop's drive could not be learnt, or the folder not made
  kFailed,            // the moniker failed (or could not be loaded): no connection, a
                      // certificate it refused, ...
  kAborted,           // the user asked to stop, and the moniker stopped
  kHttpStatus,        // the server answered with a status other than 200
  kNotFromVendor,     // the response came from elsewhere than https at the vendor's host
  kIncomplete,        // fewer bytes delivered than the server announced
  kNotFromPublisher,  // the package is not signed by the publisher the build requires
  kPackageInTheWay,   // a file from earlier (held open, a folder in its place) could not be
                      // removed from the package's path, so nothing was downloaded
  kNotTheDownload,    // the file held at the package's path is not the one the moniker wrote:
                      // another size, or another path behind the name
  kNotHeld,           // the downloaded file could not be held against changes
  kNotStarted,        // the package could not be started
  kStalled,           // nothing new arrived for kStallTimeoutMs: the watchdog stopped the
                      // download, or gave it up when the moniker did not return
};

// How one download ended. The user is told nothing of the cause; tests (and a log) are.
struct DownloadOutcome {
  DownloadResult result = DownloadResult::kFailed;
  // The moniker's HRESULT; the system error code for kNoDownloadFolder, kPackageInTheWay,
  // kNotHeld and kNotStarted (CreateProcessW's).
  std::uint32_t platformError = 0;
  unsigned httpStatus = 0;  // of the response the download judged; 0 when none was seen
  bool Succeeded() const { return result == DownloadResult::kSucceeded; }
};

// What the progress sink learnt during one download.
struct ResponseCheck {
  DownloadResult refusal = DownloadResult::kSucceeded;  // anything else: the sink aborted
  bool checked = false;         // the response was judged (and, unless refused, accepted)
  unsigned httpStatus = 0;
  std::wstring finalUrl;  // of the response judged, after every redirect the moniker took
  std::optional<std::uint64_t> announcedLength;  // Content-Length, when the server sent one
  std::uint64_t bytesDelivered = 0;  // the most bytes any notification reported received
  bool abortRequested = false;  // the sink passed on the user's abort request
  bool stalled = false;         // the watchdog stopped the download (installer/download_progress.h)
};

// The package's URL: the vendor's origin ("https://host[:port]") and the fixed path and query.
std::wstring PackageUrl(std::wstring_view origin);

// True when `url` is https at the host of `origin` or at one of `downloadHosts` (host names
// separated by ';', the content hosts the vendor's address may redirect to), whatever its
// port, path and query: TLS vouches for the host name. Host names compare without regard to
// case; a URL with user information never matches.
bool IsVendorUrl(std::wstring_view origin, std::wstring_view downloadHosts, std::wstring_view url);

// The verdict on a response: kNotFromVendor unless its final URL is the vendor's (above) and
// its TLS session verified, then kHttpStatus unless the status is 200; else kSucceeded.
DownloadResult JudgeResponse(std::wstring_view origin, std::wstring_view downloadHosts,
                             std::wstring_view finalUrl, bool tlsVerified, unsigned httpStatus);

// The download folder: "varnix" at the root of InstallerDrive (install_location_rules.h),
// e.g. "D:\varnix". Empty when there is no drive, and the download then fails.
std::wstring DownloadFolderFor(std::wstring_view desktopPath, unsigned desktopDriveType,
                               std::wstring_view windowsFolder);

// The final path that the item `name` inside a folder must have, given the final path of the
// handle held on that folder ("\\?\C:\varnix", or a drive's root, "\\?\C:\"): the two
// joined by one separator, without the "\\?\" prefix. Judged so, a drive letter that
// stands for a folder (a SUBST drive, whose root's final path names that folder) judges as
// itself, while a link at `name` still leads elsewhere. Empty when `folderFinalPath` is, and
// an empty expected path never matches.
std::wstring FinalPathWithin(std::wstring_view folderFinalPath, std::wstring_view name);

// The downloaded file as seen through the handle that holds it.
struct HeldFile {
  std::uint64_t size = 0;
  std::wstring finalPath;  // the handle's final path, maybe with the "\\?\" prefix
};

// How a finished download ended: `hresult` is what the moniker returned, `check` what the
// sink saw, `file` the package file as held afterwards (nothing when it could not be held),
// `expectedFinalPath` the final path the package file must have (FinalPathWithin the held
// download folder; empty: unknown, which never matches). A refusal by the sink comes first;
// then the moniker's failure (kAborted when the sink had passed on an abort, kStalled when
// the watchdog had stopped it); then a response nobody judged, or fewer bytes delivered than
// announced. Success needs the held file to be exactly what was delivered, at the package's
// own path: the moniker reports success also when it could not write the file, and leaves
// whatever stood there.
DownloadOutcome JudgeDownload(std::uint32_t hresult, const ResponseCheck& check,
                              const std::optional<HeldFile>& file,
                              std::wstring_view expectedFinalPath);
