#pragma once
// The program's PNG pictures, loaded from its own resources.

#include <windows.h>

#include <memory>

#include "controls/gdiplus_image.h"

// Loads PNG resource `nId` (custom type "PNG") of the executable and decodes it with GDI+,
// which the caller must have started. Returns FALSE and leaves `pImage` untouched when the
// resource is missing or its bytes cannot be copied into a stream. Otherwise returns TRUE
// and replaces `pImage` with the new image (null only if the image object could not be
// allocated); bytes GDI+ cannot decode give an image of 0 x 0 that draws nothing.
BOOL LoadPngResource(UINT nId, std::unique_ptr<gdip::Image>& pImage);

// One picture with its own hold on GDI+, for as long as it lives: a control or window keeps
// its pictures in these and needs no start-up token of its own. GDI+ counts start-ups, so
// every holder may start and stop it independently.
class Picture {
public:
  // LoadPngResource into this picture: FALSE keeps the current image.
  BOOL Load(UINT nId) { return LoadPngResource(nId, m_pImage); }

  explicit operator bool() const noexcept { return m_pImage != nullptr; }
  const gdip::Image& operator*() const noexcept { return *m_pImage; }
  const gdip::Image* operator->() const noexcept { return m_pImage.get(); }

private:
  // Declared first so that it is destroyed last: the image must go before GDI+ shuts down.
  gdip::StartupToken m_gdiplusToken;
  std::unique_ptr<gdip::Image> m_pImage;
};
