#include "controls/gdiplus_image.h"

#include <optional>

#include "win32/system_library.h"

namespace gdip {

namespace {

// The flat API functions the program calls, resolved from gdiplus.dll in the system folder.
struct FlatApi {
  decltype(&Gdiplus::GdiplusStartup) GdiplusStartup;
  decltype(&Gdiplus::GdiplusShutdown) GdiplusShutdown;
  decltype(&Gdiplus::DllExports::GdipLoadImageFromStream) GdipLoadImageFromStream;
  decltype(&Gdiplus::DllExports::GdipDisposeImage) GdipDisposeImage;
  decltype(&Gdiplus::DllExports::GdipGetImageWidth) GdipGetImageWidth;
  decltype(&Gdiplus::DllExports::GdipGetImageHeight) GdipGetImageHeight;
  decltype(&Gdiplus::DllExports::GdipCreateFromHDC) GdipCreateFromHDC;
  decltype(&Gdiplus::DllExports::GdipDeleteGraphics) GdipDeleteGraphics;
  decltype(&Gdiplus::DllExports::GdipDrawImageRectRectI) GdipDrawImageRectRectI;
};

std::optional<FlatApi> LoadFlatApi() {
  SystemLibrary gdiplus(L"gdiplus.dll");
  FlatApi api{};
  if (!gdiplus.Resolve(api.GdiplusStartup, "GdiplusStartup") ||
      !gdiplus.Resolve(api.GdiplusShutdown, "GdiplusShutdown") ||
      !gdiplus.Resolve(api.GdipLoadImageFromStream, "GdipLoadImageFromStream") ||
      !gdiplus.Resolve(api.GdipDisposeImage, "GdipDisposeImage") ||
      !gdiplus.Resolve(api.GdipGetImageWidth, "GdipGetImageWidth") ||
      !gdiplus.Resolve(api.GdipGetImageHeight, "GdipGetImageHeight") ||
      !gdiplus.Resolve(api.GdipCreateFromHDC, "GdipCreateFromHDC") ||
      !gdiplus.Resolve(api.GdipDeleteGraphics, "GdipDeleteGraphics") ||
      !gdiplus.Resolve(api.GdipDrawImageRectRectI, "GdipDrawImageRectRectI"))
    return std::nullopt;
  gdiplus.KeepForProcess();
  // What GDI+ loads by name when it first decodes a picture.
  KeepSystemLibrariesLoaded({L"windowscodecs.dll", L"propsys.dll"});
  return api;
}

// The flat API, loaded by its first user and kept until the process ends; null when GDI+
// cannot be loaded, and then every call below fails as it would with GDI+ not started: no
// picture is decoded or drawn. GDI+ keeps process-wide state (its start-up count, the
// objects of every window), so the table lives as long as the process and nobody owns it;
// it holds only pointers and is never destroyed.
const FlatApi* Flat() {
  const std::optional<FlatApi>& api = LoadedOnce<std::optional<FlatApi>, LoadFlatApi>();
  return api ? &*api : nullptr;
}

}  // namespace

StartupToken::StartupToken() noexcept {
  const FlatApi* const flat = Flat();
  const Gdiplus::GdiplusStartupInput input;  // version 1, no callback, no suppression
  if (!flat || flat->GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

StartupToken::~StartupToken() {
  if (m_token != 0) Flat()->GdiplusShutdown(m_token);
}

Image::Image(IStream* stream) noexcept : m_stream(stream) {
  if (m_stream) m_stream->AddRef();
  const FlatApi* const flat = Flat();
  if (!flat || !m_stream || flat->GdipLoadImageFromStream(m_stream.get(), &m_image) != Gdiplus::Ok)
    m_image = nullptr;
}

Image::~Image() {
  if (m_image) Flat()->GdipDisposeImage(m_image);
}

UINT Image::GetWidth() const noexcept {
  UINT width = 0;
  if (!m_image || Flat()->GdipGetImageWidth(m_image, &width) != Gdiplus::Ok) return 0;
  return width;
}

UINT Image::GetHeight() const noexcept {
  UINT height = 0;
  if (!m_image || Flat()->GdipGetImageHeight(m_image, &height) != Gdiplus::Ok) return 0;
  return height;
}

Graphics::Graphics(HDC dc) noexcept {
  const FlatApi* const flat = Flat();
  if (!flat || flat->GdipCreateFromHDC(dc, &m_graphics) != Gdiplus::Ok) m_graphics = nullptr;
}

Graphics::~Graphics() {
  if (m_graphics) Flat()->GdipDeleteGraphics(m_graphics);
}

void Graphics::DrawImage(const Image& image, const RECT& dest, const PixelRect& source) noexcept {
  if (!m_graphics || !image.native()) return;
  Flat()->GdipDrawImageRectRectI(m_graphics, image.native(), dest.left, dest.top,
                                 dest.right - dest.left, dest.bottom - dest.top, source.x,
                                 source.y, source.width, source.height, Gdiplus::UnitPixel,
                                 nullptr, nullptr, nullptr);
}

}  // namespace gdip
