#include "controls/png_resource.h"

#include <gtest/gtest.h>


#include "gdiplus_fixture.h"
#include "res/resource.h"
#include "test_resources.h"

namespace {

struct CatalogueEntry {
  UINT id;
  UINT width;
  UINT height;
};

constexpr CatalogueEntry kCatalogue[] = {
    {129, 74, 128},  {130, 28, 56},   {131, 14, 56},   {132, 160, 160}, {133, 160, 160},
    {134, 520, 10},  {135, 520, 10},  {136, 600, 400}, {137, 600, 400}, {138, 600, 400},
    {139, 14, 56},   {140, 96, 128},  {141, 96, 128},
};

Gdiplus::ARGB PixelOf(const gdip::Image& image, int x, int y) {
  Gdiplus::ARGB argb = 0;
  Gdiplus::DllExports::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(image.native()), x, y,
                                          &argb);
  return argb;
}

}  // namespace

using LoadPngResourceTest = GdiplusTest;

TEST_F(LoadPngResourceTest, EveryPictureLoadsWithItsCatalogueSizeAndAlpha) {
  for (const CatalogueEntry& picture : kCatalogue) {
    SCOPED_TRACE(picture.id);
    std::unique_ptr<gdip::Image> image;
    ASSERT_TRUE(LoadPngResource(picture.id, image));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), picture.width);
    EXPECT_EQ(image->GetHeight(), picture.height);
    Gdiplus::PixelFormat format = 0;
    Gdiplus::DllExports::GdipGetImagePixelFormat(image->native(), &format);
    EXPECT_EQ(format, PixelFormat32bppARGB) << "decoded without an alpha channel";
  }
}

TEST_F(LoadPngResourceTest, ButtonPicturesAreTransparentAroundTheirShapes) {
  // The close cross: clear in the frame's corner, opaque on its centre.
  std::unique_ptr<gdip::Image> cross;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_CLOSE, cross));
  EXPECT_EQ(PixelOf(*cross, 0, 0) >> 24, 0u);
  EXPECT_GT(PixelOf(*cross, 7, 7) >> 24, 200u);
  // Both crosses' disabled frames (the fourth) are the catalogue's pale blue-grey.
  std::unique_ptr<gdip::Image> whiteCross;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_CLOSE_WHITE, whiteCross));
  EXPECT_EQ(PixelOf(*cross, 7, 49), 0xFFC6CDDFu);
  EXPECT_EQ(PixelOf(*whiteCross, 7, 49), 0xFFC6CDDFu);
  // Rounded pill of the install button: transparent corner, opaque face.
  std::unique_ptr<gdip::Image> pill;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_INSTALL_BUTTON, pill));
  EXPECT_EQ(PixelOf(*pill, 0, 0) >> 24, 0u);
  EXPECT_EQ(PixelOf(*pill, 80, 20) >> 24, 255u);
  // The backgrounds are opaque.
  std::unique_ptr<gdip::Image> background;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_BACKGROUND_READY, background));
  EXPECT_EQ(PixelOf(*background, 0, 0) >> 24, 255u);
}

TEST_F(LoadPngResourceTest, DrawsAlphaBlendedOverTheSurface) {
  std::unique_ptr<gdip::Image> fill;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_PROGRESS_FILL, fill));
  PixelSurface surface(520, 10, RGB(0, 0, 255));
  gdip::Graphics(surface.dc()).DrawImage(*fill, {0, 0, 520, 10}, {0, 0, 520, 10});
  EXPECT_TRUE(ColourNear(surface.At(260, 5), RGB(231, 75, 63)));
  EXPECT_TRUE(ColourNear(surface.At(0, 0), RGB(0, 0, 255))) << "rounded corner must show the surface";
}

TEST_F(LoadPngResourceTest, MissingPictureReturnsFalseAndLeavesTheOutputAlone) {
  std::unique_ptr<gdip::Image> image;
  ASSERT_TRUE(LoadPngResource(IDB_PNG_CLOSE, image));
  gdip::Image* const before = image.get();
  EXPECT_FALSE(LoadPngResource(9999, image));
  EXPECT_EQ(image.get(), before);
  // The icon's identifier exists, but not as a "PNG" resource.
  EXPECT_FALSE(LoadPngResource(IDR_MAINFRAME, image));
  EXPECT_EQ(image.get(), before);

  std::unique_ptr<gdip::Image> empty;
  EXPECT_FALSE(LoadPngResource(9999, empty));
  EXPECT_EQ(empty, nullptr);
}

TEST_F(LoadPngResourceTest, UndecodableBytesGiveAnEmptyImageThatDrawsNothing) {
  std::unique_ptr<gdip::Image> image;
  ASSERT_TRUE(LoadPngResource(IDB_TEST_NOT_A_PNG, image));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 0u);
  EXPECT_EQ(image->GetHeight(), 0u);
  PixelSurface surface(8, 8, RGB(1, 2, 3));
  gdip::Graphics(surface.dc()).DrawImage(*image, {0, 0, 8, 8}, {0, 0, 8, 8});
  EXPECT_EQ(surface.At(4, 4), RGB(1, 2, 3));
}
