#include "controls/gdiplus_image.h"

namespace gdip {

using namespace Gdiplus::DllExports;

StartupToken::StartupToken() noexcept {
  const Gdiplus::GdiplusStartupInput input;  // version 1, no callback, no suppression
  if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

StartupToken::~StartupToken() {
  if (m_token != 0) Gdiplus::GdiplusShutdown(m_token);
}

Image::Image(IStream* stream) noexcept : m_stream(stream) {
  if (m_stream) m_stream->AddRef();
  if (!m_stream || GdipLoadImageFromStream(m_stream.get(), &m_image) != Gdiplus::Ok)
    m_image = nullptr;
}

Image::~Image() {
  if (m_image) GdipDisposeImage(m_image);
}

UINT Image::GetWidth() const noexcept {
  UINT width = 0;
  if (!m_image || GdipGetImageWidth(m_image, &width) != Gdiplus::Ok) return 0;
  return width;
}

UINT Image::GetHeight() const noexcept {
  UINT height = 0;
  if (!m_image || GdipGetImageHeight(m_image, &height) != Gdiplus::Ok) return 0;
  return height;
}

Graphics::Graphics(HDC dc) noexcept {
  if (GdipCreateFromHDC(dc, &m_graphics) != Gdiplus::Ok) m_graphics = nullptr;
}

Graphics::~Graphics() {
  if (m_graphics) GdipDeleteGraphics(m_graphics);
}

void Graphics::DrawImage(const Image& image, const RECT& dest, const PixelRect& source) noexcept {
  if (!m_graphics || !image.native()) return;
  GdipDrawImageRectRectI(m_graphics, image.native(), dest.left, dest.top,
                         dest.right - dest.left, dest.bottom - dest.top, source.x, source.y,
                         source.width, source.height, Gdiplus::UnitPixel, nullptr, nullptr,
                         nullptr);
}

}  // namespace gdip
