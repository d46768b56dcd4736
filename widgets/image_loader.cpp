#include "widgets/image_loader.h"

#include <objidl.h>

#include <cstring>

#include "common/win/com_ptr.h"
#include "widgets/fit_size.h"

namespace vl {
namespace {

// Takes a decoded GDI+ bitmap if it decoded; GDI+ hands back objects in an error state instead
// of null.
std::unique_ptr<Gdiplus::Bitmap> IfDecoded(Gdiplus::Bitmap* bitmap) {
  std::unique_ptr<Gdiplus::Bitmap> owned(bitmap);
  if (!owned || owned->GetLastStatus() != Gdiplus::Ok || owned->GetWidth() == 0 ||
      owned->GetHeight() == 0)
    return nullptr;
  return owned;
}

}  // namespace

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

std::unique_ptr<Gdiplus::Bitmap> LoadPngResource(int id) {
  if (id <= 0 || id > 0xFFFF) return nullptr;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
  if (!info) return nullptr;
  HGLOBAL loaded = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0 || size > 0x7FFFFFFF) return nullptr;
  return LoadBitmapFromMemory(bytes, static_cast<int>(size));
}

std::unique_ptr<Gdiplus::Bitmap> LoadBitmapFromMemory(const void* bytes, int size) {
  if (!bytes || size <= 0) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
  if (!block) return nullptr;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, static_cast<size_t>(size));
  GlobalUnlock(block);
  win::ComPtr<IStream> stream;
  // The stream owns the block from here and frees it when its last reference goes.
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.put()))) {
    GlobalFree(block);
    return nullptr;
  }
  return IfDecoded(Gdiplus::Bitmap::FromStream(stream.get()));
}

win::UniqueBitmap LoadHBitmapFromMemory(const void* bytes, int size) {
  std::unique_ptr<Gdiplus::Bitmap> picture = LoadBitmapFromMemory(bytes, size);
  if (!picture) return {};
  HBITMAP bitmap = nullptr;
  if (picture->GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &bitmap) != Gdiplus::Ok) return {};
  return win::UniqueBitmap(bitmap);
}

std::unique_ptr<Gdiplus::Bitmap> ScaleImageToFit(Gdiplus::Image* image, int bound, bool force) {
  if (!image) return nullptr;
  const FitSize size = FitIntoSquare(static_cast<int>(image->GetWidth()),
                                     static_cast<int>(image->GetHeight()), bound, force);
  if (!size.valid()) return nullptr;
  auto scaled = std::make_unique<Gdiplus::Bitmap>(size.width, size.height, PixelFormat32bppARGB);
  if (scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
  {
    Gdiplus::Graphics graphics(scaled.get());
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(image, 0, 0, size.width, size.height);
  }
  return scaled;
}

win::UniqueBitmap ToAlphaBitmap(Gdiplus::Bitmap* bitmap) {
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return {};
  HBITMAP handle = nullptr;
  // Over opaque black the colours come out premultiplied and the alpha channel is kept.
  if (bitmap->GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &handle) != Gdiplus::Ok) return {};
  return win::UniqueBitmap(handle);
}

win::UniqueBitmap LoadPngResourceBitmap(int id) {
  if (id == 0) return {};
  std::unique_ptr<Gdiplus::Bitmap> picture = LoadPngResource(id);
  return ToAlphaBitmap(picture.get());
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

void DrawAlphaBitmapPart(HDC dc, HBITMAP bitmap, const RECT& source, const RECT& dest, BYTE alpha,
                         HDC scratch) {
  if (!dc || !bitmap || alpha == 0) return;
  if (source.right <= source.left || source.bottom <= source.top || dest.right <= dest.left ||
      dest.bottom <= dest.top)
    return;
  win::UniqueMemoryDC own;
  if (!scratch) {
    own.reset(CreateCompatibleDC(dc));
    scratch = own.get();
    if (!scratch) return;
  }
  win::ScopedSelect select(scratch, bitmap);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  AlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, scratch,
             source.left, source.top, source.right - source.left, source.bottom - source.top,
             blend);
}

void DrawAlphaBitmap(HDC dc, HBITMAP bitmap, int x, int y, BYTE alpha, HDC scratch) {
  const SIZE size = BitmapSize(bitmap);
  const RECT source = {0, 0, size.cx, size.cy};
  const RECT dest = {x, y, x + size.cx, y + size.cy};
  DrawAlphaBitmapPart(dc, bitmap, source, dest, alpha, scratch);
}

}  // namespace vl
