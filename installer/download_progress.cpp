#include "installer/download_progress.h"

#include <algorithm>

std::int64_t DownloadBarValue(std::uint32_t done, std::uint32_t total) {
  const std::uint64_t bytes = done;
  std::uint64_t value;
  if (total > 0)
    value = bytes * 90 / (std::uint64_t{total} + 1);
  else
    value = bytes * kDownloadBarLimit / (bytes + kUnannouncedHalfWayBytes);
  return static_cast<std::int64_t>(std::min<std::uint64_t>(value, kDownloadBarLimit));
}

std::optional<std::int64_t> AdvanceDownloadBar(std::int64_t current, std::uint32_t done,
                                               std::uint32_t total) {
  const std::int64_t value = DownloadBarValue(done, total);
  if (value <= current) return std::nullopt;
  return value;
}
