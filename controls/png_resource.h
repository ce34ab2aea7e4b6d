#pragma once
// Loading the program's PNG pictures from its own resources.

#include <windows.h>

#include <memory>

#include "controls/gdiplus_image.h"

// Loads PNG resource `nId` (custom type "PNG") of the executable and decodes it with GDI+,
// which the caller must have started. Returns FALSE and leaves `pImage` untouched when the
// resource is missing or its bytes cannot be copied into a stream. Otherwise returns TRUE
// and replaces `pImage` with the new image (null only if the image object could not be
// allocated); bytes GDI+ cannot decode give an image of 0 x 0 that draws nothing.
BOOL LoadPngResource(UINT nId, std::unique_ptr<gdip::Image>& pImage);
