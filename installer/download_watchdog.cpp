#include "installer/download_watchdog.h"

#include <process.h>

#include <algorithm>

#include "installer/bind_callback.h"
#include "installer/download_progress.h"

namespace {

// How often the watchdog looks at the download: often enough that a stall is stopped within
// half a second of its time, rarely enough to cost nothing measurable.
constexpr std::uint64_t kLookIntervalMs = 500;

}  // namespace

DownloadWatchdog::DownloadWatchdog(CBindCallback& sink, std::function<void()> giveUp)
    : m_sink(sink), m_giveUp(std::move(giveUp)),
      m_done(AdoptHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr))) {
  if (m_done)
    m_thread = AdoptHandle(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Run, this, 0, nullptr)));
}

DownloadWatchdog::~DownloadWatchdog() {
  if (!m_thread) return;
  ::SetEvent(m_done.get());
  ::WaitForSingleObject(m_thread.get(), INFINITE);
}

unsigned __stdcall DownloadWatchdog::Run(void* self) {
  auto& watchdog = *static_cast<DownloadWatchdog*>(self);
  StallWatch watch(::GetTickCount64());
  for (;;) {
    const std::uint64_t now = ::GetTickCount64();
    const CBindCallback::Arrival arrival = watchdog.m_sink.LookAtArrival();
    watch.Observe(now, arrival.bytes, arrival.responded);
    switch (watch.Next(now)) {
      case StallStep::kWatch:
        break;
      case StallStep::kAbort:
        watchdog.m_sink.StopStalled();
        break;
      case StallStep::kAbandon:
        if (watchdog.m_sink.GiveUp()) watchdog.m_giveUp();
        return 0;
    }
    const auto wait = static_cast<DWORD>(
        std::clamp<std::uint64_t>(watch.MsUntilDue(::GetTickCount64()), 1, kLookIntervalMs));
    if (::WaitForSingleObject(watchdog.m_done.get(), wait) != WAIT_TIMEOUT) return 0;
  }
}
