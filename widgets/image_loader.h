// The program's one image loader: pictures from the program's "PNG" resources, from memory (the
// phone's named resources) and from files beside the program, as GDI+ bitmaps or as GDI bitmaps
// with premultiplied alpha for AlphaBlend. GDI+ must be running (the program starts it; tests use
// GdiplusSession). UI thread.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "common/win/handles.h"

namespace vl {

// Starts GDI+ for its lifetime (tools and tests; the program starts it in its entry).
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

// The "PNG" resource `id` of the program's module, decoded; null when missing or undecodable.
std::unique_ptr<Gdiplus::Bitmap> LoadPngResource(int id);

// Encoded picture bytes (PNG, JPEG, BMP, GIF, ...) decoded; null for a null pointer, a size
// below 1, or bytes that do not decode.
std::unique_ptr<Gdiplus::Bitmap> LoadBitmapFromMemory(const void* bytes, int size);

// Encoded picture bytes decoded into a GDI bitmap over opaque black; null when they do not
// decode.
win::UniqueBitmap LoadHBitmapFromMemory(const void* bytes, int size);

// A new 32-bit ARGB bitmap of `image` fitted into bound x bound keeping its aspect ratio (left as
// large as it is when it fits, unless `force`); every side at least 1 pixel. Null for an empty
// image or a bound below 1. The image is not changed.
std::unique_ptr<Gdiplus::Bitmap> ScaleImageToFit(Gdiplus::Image* image, int bound,
                                                 bool force = false);

// A GDI bitmap of a GDI+ bitmap with premultiplied per-pixel alpha (taken over opaque black), as
// AlphaBlend wants it; null for a null or failed bitmap.
win::UniqueBitmap ToAlphaBitmap(Gdiplus::Bitmap* bitmap);

// LoadPngResource + ToAlphaBitmap: what buttons and panel items draw. Id 0 gives null.
win::UniqueBitmap LoadPngResourceBitmap(int id);

// Width and height of a GDI bitmap; 0 x 0 for null.
SIZE BitmapSize(HBITMAP bitmap);

// Blends `bitmap` (premultiplied alpha) at its own size with its top-left corner at (x, y) and the
// constant `alpha`; `scratch` is a memory DC to select it into (one is made when null).
void DrawAlphaBitmap(HDC dc, HBITMAP bitmap, int x, int y, BYTE alpha = 255, HDC scratch = nullptr);

// Blends the source rectangle of `bitmap` stretched over the destination rectangle.
void DrawAlphaBitmapPart(HDC dc, HBITMAP bitmap, const RECT& source, const RECT& dest,
                         BYTE alpha = 255, HDC scratch = nullptr);

}  // namespace vl
