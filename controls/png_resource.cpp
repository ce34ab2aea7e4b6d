#include "controls/png_resource.h"

#include <cstring>
#include <new>

namespace {

// Copies the resource into movable global memory and wraps it in a stream that frees that
// memory with its last reference. The image keeps the stream, because GDI+ decodes from it
// lazily: freeing the block right after decoding (as the stream-over-HGLOBAL idiom often
// does) would leave the image reading freed memory at its first paint.
ComPtrOwner<IStream> CopyToStream(const void* bytes, DWORD size) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* target = ::GlobalLock(block);
  if (!target) {
    ::GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(block);

  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
    ::GlobalFree(block);
    return nullptr;
  }
  return ComPtrOwner<IStream>(stream);
}

}  // namespace

BOOL LoadPngResource(UINT nId, std::unique_ptr<gdip::Image>& pImage) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(nId), L"PNG");
  if (!resource) return FALSE;
  const DWORD size = ::SizeofResource(module, resource);
  const HGLOBAL loaded = ::LoadResource(module, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return FALSE;

  const auto stream = CopyToStream(bytes, size);
  if (!stream) return FALSE;
  pImage.reset(new (std::nothrow) gdip::Image(stream.get()));
  return TRUE;
}
