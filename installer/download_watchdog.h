#pragma once
// DownloadWatchdog: ends a package download that has stopped moving. The URL moniker has no
// receive timeout under Wine and only long, machine-dependent ones on Windows, so a server
// that stops sending (or a connection reset the moniker never notices) would keep the
// Installing screen up for ever.
//
// A thread of its own looks at the download twice a second (CBindCallback::LookAtArrival)
// and follows the stall watch (installer/download_progress.h): after kStallTimeoutMs without
// new bytes it aborts the binding from that thread (under Wine this makes
// URLDownloadToFileW return E_ABORT within milliseconds); if the moniker still has not
// returned kStallAbortGraceMs later, it gives the download up and runs `giveUp`, which shows
// the failure in its place. It never waits for the next progress notification: a stalled
// download may never send one.

#include <windows.h>

#include <functional>

#include "win32/scoped_handles.h"

class CBindCallback;

class DownloadWatchdog {
public:
  // Starts watching the download that reports to `sink`; `sink` must outlive this object.
  // `giveUp` runs on the watchdog's thread, at most once, when the download is given up.
  // Without a thread (none could be started) the download runs unwatched.
  DownloadWatchdog(CBindCallback& sink, std::function<void()> giveUp);
  // Stops watching and waits for the watchdog's thread, which then ends within moments.
  ~DownloadWatchdog();
  DownloadWatchdog(const DownloadWatchdog&) = delete;
  DownloadWatchdog& operator=(const DownloadWatchdog&) = delete;

private:
  static unsigned __stdcall Run(void* self);

  CBindCallback& m_sink;
  const std::function<void()> m_giveUp;
  UniqueHandle m_done;  // set when the download has returned
  UniqueHandle m_thread;
};
