#pragma once
// CProgressCtrlEx: a thin bar drawn from two pictures of one shape, a grey track and a red
// fill cropped to the position's share of the range. An owner-drawn button, not a
// common-control progress bar.

#include <atomic>
#include <cstdint>
#include <memory>

#include "controls/gdiplus_image.h"
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
  // Written by worker threads, which then invalidate the bar's window; read by its paint on
  // the UI thread. Atomic so that a paint never sees half of a 64-bit write.
  std::atomic<std::int64_t> m_nPos{0};
  static_assert(std::atomic<std::int64_t>::is_always_lock_free,
                "a paint must never wait for a worker, nor call into a lock library");

protected:
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  DECLARE_MESSAGE_MAP()

private:
  // Declared first so that it is destroyed last: the images must go before GDI+ shuts down.
  gdip::StartupToken m_gdiplusToken;
  std::unique_ptr<gdip::Image> m_pTrackImage;
  std::unique_ptr<gdip::Image> m_pFillImage;
};
