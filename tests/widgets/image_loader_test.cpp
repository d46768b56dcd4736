// Image loading and the font cache under Wine: the program's resources, bytes, files, scaling.
#include <gtest/gtest.h>

#include <vector>

#include "tests/widgets/widget_test_support.h"
#include "widgets/font_cache.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

class ImageLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureGdiplus(); }
};

std::unique_ptr<Gdiplus::Bitmap> Blank(int w, int h) {
  return std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppARGB);
}

// The bytes of a resource picture encoded again as PNG.
std::vector<char> PngBytes(int id) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, info)));
  return std::vector<char>(bytes, bytes + SizeofResource(module, info));
}

TEST_F(ImageLoaderTest, EveryPictureOfTheProgramLoadsAtItsSizeAndMissingOnesGiveNothing) {
  for (int id = 207; id <= 267; ++id) {
    if (id == 258 || id == 259) continue;
    auto bitmap = LoadPngResource(id);
    ASSERT_NE(bitmap, nullptr) << id;
    EXPECT_GT(bitmap->GetWidth(), 0u) << id;
  }
  EXPECT_EQ(LoadPngResource(pictures::kCloseNormal)->GetWidth(), 34u);
  EXPECT_EQ(LoadPngResource(pictures::kMainBackground)->GetHeight(), 646u);
  EXPECT_EQ(LoadPngResource(pictures::kScrollThumbNormal)->GetHeight(), 24u);
  EXPECT_EQ(LoadPngResource(pictures::kCircleMask)->GetWidth(), 68u);
  EXPECT_EQ(LoadPngResource(pictures::kEditMark)->GetWidth(), 36u);
  EXPECT_EQ(LoadPngResource(pictures::kBackArrowNormal)->GetWidth(), 22u);
  for (int missing : {258, 0, -4}) EXPECT_EQ(LoadPngResource(missing), nullptr) << missing;
  EXPECT_FALSE(LoadPngResourceBitmap(0));
}

TEST_F(ImageLoaderTest, TheProgramIconHasSmallAndLargeSizes) {
  for (int size : {16, 24, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

TEST_F(ImageLoaderTest, BytesDecodeAsGdiplusAndGdiBitmapsAndBadBytesGiveNothing) {
  const std::vector<char> png = PngBytes(pictures::kCloseNormal);
  auto bitmap = LoadBitmapFromMemory(png.data(), static_cast<int>(png.size()));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 34u);
  const char junk[] = "this is not a picture at all, just text";
  EXPECT_EQ(LoadBitmapFromMemory(junk, sizeof junk), nullptr);
  EXPECT_EQ(LoadBitmapFromMemory(png.data(), 40), nullptr);  // cut short
  EXPECT_EQ(LoadBitmapFromMemory(nullptr, 100), nullptr);
  EXPECT_EQ(LoadBitmapFromMemory(png.data(), 0), nullptr);
  EXPECT_EQ(LoadBitmapFromMemory(png.data(), -1), nullptr);
  // The same as GDI bitmaps.
  const std::vector<char> logo = PngBytes(pictures::kAboutLogo);
  win::UniqueBitmap gdi = LoadHBitmapFromMemory(logo.data(), static_cast<int>(logo.size()));
  ASSERT_TRUE(gdi);
  EXPECT_EQ(BitmapSize(gdi.get()).cx, 68);
  EXPECT_FALSE(LoadHBitmapFromMemory("not a picture", 13));
  EXPECT_FALSE(LoadHBitmapFromMemory(nullptr, 10));
}

// The size is FitIntoSquare's (nine_part_fit_font_combo_maths_test); a forced one shows it is
// asked with the picture's width, height and the force.
TEST_F(ImageLoaderTest, ScaleToFitDrawsAnArgbBitmapOfTheFittedSize) {
  auto forced = ScaleImageToFit(Blank(60, 40).get(), 100, true);
  ASSERT_NE(forced, nullptr);
  EXPECT_EQ(forced->GetWidth(), 100u);
  EXPECT_EQ(forced->GetHeight(), 66u);
  EXPECT_EQ(forced->GetPixelFormat(), PixelFormat32bppARGB);
  EXPECT_EQ(ScaleImageToFit(nullptr, 68), nullptr);
  EXPECT_EQ(ScaleImageToFit(Blank(10, 10).get(), 0), nullptr);
}

TEST_F(ImageLoaderTest, AlphaBitmapsArePremultipliedForAlphaBlend) {
  auto mask = LoadPngResource(pictures::kCircleMask);
  win::UniqueBitmap bitmap = ToAlphaBitmap(mask.get());
  ASSERT_TRUE(bitmap);
  DIBSECTION dib = {};
  ASSERT_EQ(GetObjectA(bitmap.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
  ASSERT_EQ(dib.dsBm.bmBitsPixel, 32);
  const auto* pixels = static_cast<const uint32_t*>(dib.dsBm.bmBits);
  const int w = dib.dsBm.bmWidth, h = dib.dsBm.bmHeight;
  EXPECT_EQ(pixels[0], 0xFFFFFFFFu);           // an opaque white corner
  EXPECT_EQ(pixels[(h / 2) * w + w / 2], 0u);  // the transparent centre: nothing premultiplied
}

TEST(FontCache, OneFontPerSizeOfTheFaceAtItsPixelHeight) {
  HFONT twelve = GetCachedFont(12);
  ASSERT_NE(twelve, nullptr);
  EXPECT_EQ(GetCachedFont(12), twelve);
  EXPECT_NE(GetCachedFont(13), twelve);
  LOGFONTW lf = {};
  GetObjectW(twelve, sizeof lf, &lf);
  EXPECT_EQ(std::wstring(lf.lfFaceName), L"\x5FAE\x8F6F\x96C5\x9ED1");
  EXPECT_EQ(lf.lfHeight, -12);  // the test display runs at 96 dpi
}

}  // namespace
}  // namespace vl
