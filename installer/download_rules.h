#pragma once
// What the package download accepts, where it puts the package, and how it ends.
// Portable: no Windows headers.
//
// The installer runs elevated and starts what it downloads, so the package counts only when
// it came over verified TLS from the vendor's host with status 200, and at least as many
// bytes reached the disk as the server announced.

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
  kIncomplete,        // fewer bytes on disk than the server announced, or no file at all
  kNotFromPublisher,  // the package is not signed by the publisher the build requires
  kStalled,           // nothing new arrived for kStallTimeoutMs: the watchdog stopped the
                      // download, or gave it up when the moniker did not return
};

// How one download ended. The user is told nothing of the cause; tests (and a log) are.
struct DownloadOutcome {
  DownloadResult result = DownloadResult::kFailed;
  // The moniker's HRESULT, or the system error code for kNoDownloadFolder.
  std::uint32_t platformError = 0;
  unsigned httpStatus = 0;  // of the response the download judged; 0 when none was seen
  bool Succeeded() const { return result == DownloadResult::kSucceeded; }
};

// What the progress sink learnt during one download.
struct ResponseCheck {
  DownloadResult refusal = DownloadResult::kSucceeded;  // anything else: the sink aborted
  bool checked = false;         // the response was judged (and, unless refused, accepted)
  unsigned httpStatus = 0;
  std::optional<std::uint64_t> announcedLength;  // Content-Length, when the server sent one
  bool abortRequested = false;  // the sink passed on the user's abort request
  bool stalled = false;         // the watchdog stopped the download (installer/download_progress.h)
};

// The package's URL: the vendor's origin ("https://host[:port]") and the fixed path and query.
std::wstring PackageUrl(std::wstring_view origin);

// True when `url` is https at the host of `origin`, whatever its port, path and query: TLS
// vouches for the host name, and a redirect within the vendor's host is the vendor's own.
// Host names compare without regard to case; a URL with user information never matches.
bool IsVendorUrl(std::wstring_view origin, std::wstring_view url);

// The verdict on a response: kNotFromVendor unless its final URL is the vendor's (above) and
// its TLS session verified, then kHttpStatus unless the status is 200; else kSucceeded.
DownloadResult JudgeResponse(std::wstring_view origin, std::wstring_view finalUrl,
                             bool tlsVerified, unsigned httpStatus);

// The download folder for a desktop folder: its drive letter followed by ":\varnix". A path
// that does not begin with a drive letter gives no letter (":\varnix"), which no file
// system accepts, so the download then fails.
std::wstring DownloadFolderFor(std::wstring_view desktopPath);

// How a finished download ended: `hresult` is what the moniker returned, `check` what the
// sink saw, `fileSize` the size of the package file afterwards (nothing when it is missing).
// A refusal by the sink comes first; then the moniker's failure (kAborted when the sink had
// passed on an abort, kStalled when the watchdog had stopped it); then success counts only for a judged response whose file holds at
// least the announced length.
DownloadOutcome JudgeDownload(std::uint32_t hresult, const ResponseCheck& check,
                              std::optional<std::uint64_t> fileSize);
