// The owner-drawn buttons on real windows under Wine, driven with real pointer input; image
// loading and the font cache: the program's resources, bytes, scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/widgets/widget_test_support.h"
#include "widgets/font_cache.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"
#include "widgets/image_loader.h"
#include "widgets/loading_button.h"
#include "widgets/loading_wnd.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

using test::PumpUntil;
using test::XInput;
namespace pics = pictures;

// The close button's pictures on an image button with command 7.
void CreateCloseButton(test::TestHost& host, ImageButton& button) {
  ASSERT_TRUE(button.Create(host, {20, 20, 54, 54}, 7));
  button.SetImages(pics::kCloseNormal, pics::kCloseHover, pics::kClosePressed, pics::kCloseNormal);
}

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(XInput::Park()); }
  test::TestHost host;
};

// The alpha of every picture the button paints.
class RecordingButton : public ImageButton {
 public:
  void Draw(HDC dc, const RECT& rc) override {
    alphas.push_back(alpha());
    ImageButton::Draw(dc, rc);
  }
  std::vector<int> alphas;
};

TEST_F(ButtonTest, HoverFadesIntoTheHoverPictureAndLeavingFadesBack) {
  RecordingButton button;
  ASSERT_NO_FATAL_FAILURE(CreateCloseButton(host, button));
  test::PumpFor(50);
  const COLORREF normal = test::PixelAt(button, 6, 17);  // the wash's left edge
  button.alphas.clear();
  ASSERT_TRUE(XInput::MoveTo(test::ScreenCentre(button)));
  EXPECT_EQ(button.state(), ButtonBase::kHover);
  ASSERT_TRUE(PumpUntil([&] { return !button.fading() && button.alpha() == 255; }, 2000));
  test::PumpFor(50);
  EXPECT_TRUE(std::any_of(button.alphas.begin(), button.alphas.end(), [](int a) {
    return a < 255;
  })) << "the steps of the fade are painted";
  EXPECT_EQ(button.last_drawn(), button.picture(1));
  const COLORREF hover = test::PixelAt(button, 6, 17);
  EXPECT_EQ(normal, RGB(255, 255, 255));
  EXPECT_NE(hover, RGB(255, 255, 255));  // the pink wash of the hover picture
  EXPECT_GT(GetRValue(hover), GetBValue(hover));

  ASSERT_TRUE(XInput::Park());
  ASSERT_TRUE(PumpUntil([&] { return button.state() == ButtonBase::kNormal && !button.fading(); }));
  test::PumpFor(50);
  EXPECT_EQ(button.last_drawn(), button.picture(0));
  EXPECT_EQ(test::PixelAt(button, 6, 17), RGB(255, 255, 255));
  EXPECT_TRUE(host.commands.empty());
}

// A button told not to fade (an icon button) shows a new state at once.
TEST_F(ButtonTest, AButtonToldNotToFadeShowsTheNewStateAtOnce) {
  RecordingButton button;
  ASSERT_NO_FATAL_FAILURE(CreateCloseButton(host, button));
  button.SetFade(false);
  test::PumpFor(50);
  button.alphas.clear();
  ASSERT_TRUE(XInput::MoveTo(test::ScreenCentre(button)));
  EXPECT_EQ(button.state(), ButtonBase::kHover);
  test::PumpFor(300);  // a fade would be over by now
  ASSERT_FALSE(button.alphas.empty());
  for (int a : button.alphas) EXPECT_EQ(a, 255);
}

// Only a press and a release both over the image button send its command.
TEST_F(ButtonTest, ImageButtonClickPostsItsCommandAndPressOrReleaseAloneDoesNothing) {
  ImageButton button;
  ASSERT_NO_FATAL_FAILURE(CreateCloseButton(host, button));
  ASSERT_TRUE(XInput::Press(test::ScreenPoint(host, 300, 300)));
  ASSERT_TRUE(XInput::Release(test::ScreenCentre(button)));
  test::PumpFor(150);
  EXPECT_TRUE(host.commands.empty());
  ASSERT_TRUE(XInput::Press(test::ScreenCentre(button)));
  EXPECT_EQ(button.state(), ButtonBase::kPressed);
  ASSERT_TRUE(XInput::Release(test::ScreenPoint(host, 300, 300)));
  test::PumpFor(150);
  EXPECT_TRUE(host.commands.empty());
  // Coming back and releasing over it again sends nothing either: that press has ended.
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(host, 300, 300)));
  test::PumpFor(100);
  EXPECT_TRUE(host.commands.empty());
  ASSERT_TRUE(XInput::Click(test::ScreenCentre(button)));
  ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }));
  EXPECT_EQ(host.commands, std::vector<int>{7});
  EXPECT_EQ(button.state(), ButtonBase::kHover);
}

TEST_F(ButtonTest, IconButtonFiresOnAReleaseOverItDrawsStateColoursAndAnswersItsCaption) {
  CIconButton link;
  ASSERT_TRUE(link.Create(host, {100, 20, 200, 56}, 3));
  // Without pictures (or without a pressed one) it has no icon width; it paints without them.
  EXPECT_EQ(link.IconWidth(), 0);
  test::PumpFor(50);
  link.SetImages(pics::kRefreshNormal, pics::kRefreshHover, pics::kRefreshPressed, 0);
  EXPECT_EQ(link.IconWidth(), 16);
  link.SetImages(pics::kRefreshNormal, 0, 0, 0);
  EXPECT_EQ(link.IconWidth(), 0);
  link.SetImages(pics::kRefreshNormal, pics::kRefreshHover, pics::kRefreshPressed,
                 pics::kRefreshNormal);
  link.SetText("A&B");
  link.SetTextColors(RGB(114, 114, 114), RGB(231, 89, 136), RGB(213, 82, 125), RGB(1, 2, 3));
  EXPECT_EQ(test::WindowText(link), "A&B");
  EXPECT_EQ(link.CurrentTextColor(), RGB(114, 114, 114));
  // Pressed elsewhere and released over it, it fires (unlike an image button), hovered.
  ASSERT_TRUE(XInput::Press(test::ScreenPoint(host, 300, 300)));
  ASSERT_TRUE(XInput::Release(test::ScreenCentre(link)));
  ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }, 1000));
  EXPECT_EQ(host.commands, std::vector<int>{3});
  ASSERT_TRUE(XInput::MoveTo(test::ScreenCentre(link)));
  EXPECT_EQ(link.CurrentTextColor(), RGB(231, 89, 136));
  link.EnableWindow(FALSE);
  EXPECT_EQ(link.CurrentTextColor(), RGB(1, 2, 3));
}

TEST_F(ButtonTest, NewPicturesDuringAFadeStopItAndDropTheOldPictures) {
  ImageButton button;
  ASSERT_NO_FATAL_FAILURE(CreateCloseButton(host, button));
  test::PumpFor(50);
  ASSERT_NE(button.last_drawn(), nullptr);
  ASSERT_TRUE(XInput::MoveTo(test::ScreenCentre(button)));
  ASSERT_TRUE(button.fading());
  ASSERT_NE(button.fade_from(), nullptr);
  button.SetImages(pics::kMinimiseNormal, pics::kMinimiseHover, pics::kMinimisePressed,
                   pics::kMinimiseNormal);
  EXPECT_FALSE(button.fading());
  EXPECT_EQ(button.fade_from(), nullptr);
  EXPECT_EQ(button.last_drawn(), nullptr);
  EXPECT_EQ(button.alpha(), 255);
  test::PumpFor(100);  // paints the new pictures only
  EXPECT_EQ(button.last_drawn(), button.picture(1));
}

TEST_F(ButtonTest, LoadingButtonSpinsTenDegreesPerTickOnlyWhenAsked) {
  LoadingButton connect;
  ASSERT_TRUE(connect.Create(host, {20, 100, 116, 136}, 1));
  connect.SetImages(pics::kConnectNormal, pics::kConnectHover, pics::kConnectPressed,
                    pics::kConnectNormal);
  connect.SetText("connect");
  connect.SetIcon(pics::kConnectIcon, false);
  test::PumpFor(200);
  EXPECT_EQ(connect.angle(), 0);
  EXPECT_EQ(test::WindowText(connect), "connect");
  connect.SetIcon(pics::kConnectingIcon, true);
  ASSERT_TRUE(connect.has_icon());
  ASSERT_TRUE(PumpUntil([&] { return connect.angle() >= 30; }, 2000));
  const int before = connect.angle();
  EXPECT_EQ(before % 10, 0);
  ASSERT_TRUE(PumpUntil([&] { return connect.angle() != before; }, 1000));
  connect.SetIcon(pics::kConnectedIcon, false);
  EXPECT_EQ(connect.angle(), 0);
  test::PumpFor(150);
  EXPECT_EQ(connect.angle(), 0);
}

TEST_F(ButtonTest, LoadingWndShowsItsTextAndPassesItsCloseButtonOn) {
  LoadingWnd overlay;
  ASSERT_TRUE(overlay.Create(host, {0, 0, 600, 400}));
  EXPECT_EQ(test::WindowText(overlay), LoadingWnd::Text());
  RECT close;
  GetWindowRect(overlay.close_button(), &close);
  MapWindowPoints(nullptr, overlay, reinterpret_cast<POINT*>(&close), 2);
  EXPECT_EQ(close.left, 600 - 9 - 34);
  EXPECT_EQ(close.top, 6);
  EXPECT_EQ(close.right - close.left, 34);
  ASSERT_TRUE(XInput::Click(test::ScreenCentre(overlay.close_button())));
  ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }, 1000));
  EXPECT_EQ(host.commands, std::vector<int>{2});
}

TEST_F(ButtonTest, ParentDrawnButtonPaintsIntoItsPainter) {
  CIconButton overlay_button;
  ASSERT_TRUE(overlay_button.Create(host, {20, 20, 110, 42}, 8, "flip"));
  overlay_button.SetImages(pics::kFlipVerticalNormal, pics::kFlipVerticalHover,
                           pics::kFlipVerticalPressed, pics::kFlipVerticalNormal);
  overlay_button.SetParentDrawn(true, host);
  // The painter's picture: dark, with the button drawn at its place.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, 200, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  overlay_button.PaintInto(dc);
  int light = 0;
  for (int y = 20; y < 42; ++y)
    for (int x = 20; x < 110; ++x)
      if (GetRValue(GetPixel(dc, x, y)) > 200) ++light;
  int outside = 0;
  for (int y = 50; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (GetPixel(dc, x, y) != RGB(0, 0, 0)) ++outside;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  EXPECT_GT(light, 20);  // white icon and text
  EXPECT_EQ(outside, 0);
  overlay_button.ShowWindow(SW_HIDE);
}

// GDI+ for the picture cases, which have no host window to start it.
[[maybe_unused]] const bool kGdiplusStarted = (test::EnsureGdiplus(), true);

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

TEST(ImageLoader, EveryPictureOfTheProgramLoadsAtItsSizeAndMissingOnesGiveNothing) {
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

TEST(ImageLoader, TheProgramIconHasSmallAndLargeSizes) {
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

TEST(ImageLoader, BytesDecodeAsGdiplusAndGdiBitmapsAndBadBytesGiveNothing) {
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
TEST(ImageLoader, ScaleToFitDrawsAnArgbBitmapOfTheFittedSize) {
  auto forced = ScaleImageToFit(Blank(60, 40).get(), 100, true);
  ASSERT_NE(forced, nullptr);
  EXPECT_EQ(forced->GetWidth(), 100u);
  EXPECT_EQ(forced->GetHeight(), 66u);
  EXPECT_EQ(forced->GetPixelFormat(), PixelFormat32bppARGB);
  EXPECT_EQ(ScaleImageToFit(nullptr, 68), nullptr);
  EXPECT_EQ(ScaleImageToFit(Blank(10, 10).get(), 0), nullptr);
}

TEST(ImageLoader, AlphaBitmapsArePremultipliedForAlphaBlend) {
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
