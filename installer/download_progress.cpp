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

void StallWatch::Observe(std::uint64_t nowMs, std::uint64_t bytes, bool responded) {
  if (m_abortedAtMs) return;  // stopping: a late byte does not call the stop back
  if (bytes > m_bytes || (responded && !m_responded)) m_lastMovedMs = std::max(m_lastMovedMs, nowMs);
  m_bytes = std::max(m_bytes, bytes);
  m_responded = m_responded || responded;
}

StallStep StallWatch::Next(std::uint64_t nowMs) {
  if (!m_abortedAtMs) {
    if (nowMs < m_lastMovedMs + kStallTimeoutMs) return StallStep::kWatch;
    m_abortedAtMs = nowMs;
    return StallStep::kAbort;
  }
  if (m_abandoned || nowMs < *m_abortedAtMs + kStallAbortGraceMs) return StallStep::kWatch;
  m_abandoned = true;
  return StallStep::kAbandon;
}

std::uint64_t StallWatch::MsUntilDue(std::uint64_t nowMs) const {
  const std::uint64_t due =
      m_abortedAtMs ? *m_abortedAtMs + kStallAbortGraceMs : m_lastMovedMs + kStallTimeoutMs;
  return due > nowMs ? due - nowMs : 0;
}
