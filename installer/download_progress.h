#pragma once
// Where the progress bar stands while the package downloads. Portable: no Windows headers.
//
// The download owns the bar's first ninety steps and never shows 90 or more: the last tenth
// belongs to the package's own installation. Counts are the moniker's 32-bit byte counts.

#include <cstdint>
#include <optional>

// The highest bar value a download shows.
inline constexpr std::int64_t kDownloadBarLimit = 89;

// Bytes after which a download of unannounced size shows half of kDownloadBarLimit.
inline constexpr std::uint64_t kUnannouncedHalfWayBytes = 16u << 20;

// The bar value for `done` bytes of `total`.
// - Announced size (total > 0): done x 90 / (total + 1), rounded down, in 64-bit unsigned
//   arithmetic, so 500 of 1000 give 44 and 1000 of 1000 give 89. Counts beyond the total
//   stop at kDownloadBarLimit.
// - Unannounced size (total 0): a curve that creeps towards the limit without reaching
//   it, 89 x done / (done + kUnannouncedHalfWayBytes): 16 MiB give 44, 48 MiB 66, 144 MiB 80.
// No bytes give 0 either way.
std::int64_t DownloadBarValue(std::uint32_t done, std::uint32_t total);

// The position the bar moves to for this notification, or nothing when the value is not
// greater than `current`: the bar only moves forwards, and an unchanged bar is not repainted.
std::optional<std::int64_t> AdvanceDownloadBar(std::int64_t current, std::uint32_t done,
                                               std::uint32_t total);
