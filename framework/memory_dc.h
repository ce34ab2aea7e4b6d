#pragma once
// CMemoryDC: an off-screen context that owns the bitmap selected into it, for composing a
// picture before one copy to the screen and for keeping pixels. The bitmap is selected out
// again before it is deleted: a bitmap still selected into a context cannot be deleted.

#include "framework/dc.h"
#include "framework/gdi.h"

class CMemoryDC : public CDC {
public:
  CMemoryDC() = default;
  ~CMemoryDC() override { Release(); }

  // Releases what this object held, then creates a context and a width x height bitmap,
  // both compatible with `dc` (which the caller keeps owning), the bitmap selected into
  // the context. FALSE, holding nothing, when either cannot be made.
  BOOL Create(const CDC& dc, int nWidth, int nHeight);
  // Deletes the bitmap and the context; m_hDC is null afterwards.
  void Release();

private:
  CBitmap m_bitmap;
  HGDIOBJ m_hOldBitmap = nullptr;
};
