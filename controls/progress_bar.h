#pragma once
// CProgressCtrlEx: a thin bar drawn from two pictures of one shape, a grey track and a red
// fill cropped to the position's share of the range. An owner-drawn button, not a
// common-control progress bar.

#include <atomic>
#include <cstdint>
#include <optional>

#include "controls/png_resource.h"
#include "framework/afxwin.h"

class CProgressCtrlEx : public CButton {
  DECLARE_DYNAMIC(CProgressCtrlEx)

public:
  CProgressCtrlEx() = default;
  ~CProgressCtrlEx() override;

  // Loads the track (PNG 135) and fill (PNG 134) pictures and sizes the bar to the track
  // at the screen's DPI, keeping its place. Call after Create. Until both pictures are
  // loaded the bar draws nothing at all.
  void LoadImages();

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  float m_fWidth = 0;   // drawn size in pixels, set by LoadImages
  float m_fHeight = 0;
  std::int64_t m_nUpper = 100;  // the range; fixed after construction
  std::int64_t m_nLower = 0;
  // The position, read by the paint on the UI thread; written only through Advance and
  // Reset. Atomic so that a paint never sees half of a 64-bit write.
  std::atomic<std::int64_t> m_nPos{0};
  static_assert(std::atomic<std::int64_t>::is_always_lock_free,
                "a paint must never wait for a worker, nor call into a lock library");

  // Moves the bar to what `next(current)` gives for its current position, if it gives
  // anything, and repaints it; from any thread. The position is compared and swapped, so
  // two writers never move it past each other's value: a formula that only ever goes
  // forwards keeps the bar going forwards. True when it moved.
  template <typename Next>
  bool Advance(Next next) {
    for (std::int64_t current = m_nPos.load();;) {
      const std::optional<std::int64_t> moved = next(current);
      if (!moved) return false;
      if (m_nPos.compare_exchange_weak(current, *moved)) break;
    }
    Repaint();
    return true;
  }
  // Empties the bar and repaints it.
  void Reset();

protected:
  void PreSubclassWindow() override;
  // Invalidates the bar through the handle taken when the window was made: a worker may call
  // this while the UI thread takes the window down, and a call on a handle whose window has
  // gone does nothing.
  void Repaint() const;
  BOOL OnEraseBkgnd(CDC* pDC);
  DECLARE_MESSAGE_MAP()

private:
  HWND m_hWndForWorkers = nullptr;  // set at creation, never cleared
  Picture m_pTrackImage;
  Picture m_pFillImage;
};
