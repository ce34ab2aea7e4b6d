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

// ---- Whether a download is still moving ----

// How long a download may go without anything new arriving before it counts as stalled and
// is stopped. The moniker has no receive timeout of its own under Wine, and on Windows its
// timeouts are long and depend on the machine's settings.
inline constexpr std::uint64_t kStallTimeoutMs = 30'000;

// How long the watchdog waits for the moniker to return once it has asked it to stop a
// stalled download, before it gives that download up and shows the failure itself.
inline constexpr std::uint64_t kStallAbortGraceMs = 5'000;

// What the watchdog does next for one download.
enum class StallStep {
  kWatch,    // the download is moving (or has not been quiet for long enough)
  kAbort,    // stalled: ask the moniker to stop; given once
  kAbandon,  // stopped but still inside the moniker after the grace: give it up; given once
};

// The watchdog's clock for one download. Anything new counts as movement: more bytes than
// any earlier look showed, from whatever source shows the most (the moniker's notifications
// lag the bytes it has received, its cache file does not), and the response's arrival
// (headers in, before any byte of the body). Repeated or smaller counts do not. Times are
// milliseconds of a monotonic clock.
class StallWatch {
public:
  explicit StallWatch(std::uint64_t startMs) : m_lastMovedMs(startMs) {}

  // One look at the download at `nowMs`: the most bytes any source shows have arrived, and
  // whether the response has come.
  void Observe(std::uint64_t nowMs, std::uint64_t bytes, bool responded);
  // What to do at `nowMs`; kAbort and kAbandon are each given at most once.
  StallStep Next(std::uint64_t nowMs);
  // How long from `nowMs` until the next step can be due if nothing moves (0: due now).
  std::uint64_t MsUntilDue(std::uint64_t nowMs) const;

private:
  std::uint64_t m_lastMovedMs;
  std::uint64_t m_bytes = 0;
  bool m_responded = false;
  std::optional<std::uint64_t> m_abortedAtMs;
  bool m_abandoned = false;
};
