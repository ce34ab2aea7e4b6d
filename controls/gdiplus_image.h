#pragma once
// Small owners over the GDI+ flat API: start-up token, decoded image, drawing surface.
// gdiplus.dll is not imported: it is loaded from the system folder by the first of them
// (win32/system_library.h says why); where it cannot be loaded, they all behave as with
// GDI+ not started.

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "controls/image_frames.h"
#include "win32/scoped_handles.h"

namespace gdip {

// One reference on GDI+'s start-up count. GDI+ counts start-ups, so it stays usable while
// any holder lives. Value 0 means start-up failed (or gdiplus.dll could not be loaded); every
// GDI+ call then fails harmlessly.
class StartupToken {
public:
  StartupToken() noexcept;
  ~StartupToken();
  StartupToken(const StartupToken&) = delete;
  StartupToken& operator=(const StartupToken&) = delete;

  ULONG_PTR value() const noexcept { return m_token; }

private:
  ULONG_PTR m_token = 0;
};

// A picture decoded by GDI+ from a stream. GDI+ reads the stream lazily, when it first
// draws, so the image keeps its own reference on the stream, and the stream must own its
// memory. A stream that cannot be decoded (or GDI+ not started) gives an image that
// reports 0 x 0 and draws nothing.
class Image {
public:
  explicit Image(IStream* stream) noexcept;
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // Pixel size; 0 when the image could not be decoded or the query fails.
  UINT GetWidth() const noexcept;
  UINT GetHeight() const noexcept;
  // The GDI+ handle, or null when decoding failed. Owned by this object.
  Gdiplus::GpImage* native() const noexcept { return m_image; }

private:
  ComPtrOwner<IStream> m_stream;
  Gdiplus::GpImage* m_image = nullptr;
};

// A GDI+ drawing surface over a device context that the caller keeps owning.
class Graphics {
public:
  explicit Graphics(HDC dc) noexcept;
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // Draws `source` (image pixels) of `image` stretched onto `dest`, alpha-blended over
  // what the surface shows, with the platform's default filtering. Failures draw less.
  void DrawImage(const Image& image, const RECT& dest, const PixelRect& source) noexcept;

private:
  Gdiplus::GpGraphics* m_graphics = nullptr;
};

}  // namespace gdip
