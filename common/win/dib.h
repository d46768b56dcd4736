// Bottom-up DIB sections, selectable into a DC. 24-bit: the pictures' memory layout (B, G, R;
// rows from the bottom up, each padded to a multiple of 4 bytes). 32-bit (B, G, R, unused): the
// layout of the screen's bitmaps, which GDI copies to the screen without converting.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vl::win {

// A new DIB section of 24 or 32 bits per pixel and its pixel memory, or null (with *bits null)
// when it cannot be made.
inline HBITMAP CreateBottomUpDib(int width, int height, int bits_per_pixel, uint8_t** bits,
                                 HDC dc = nullptr) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  if (bitmap != nullptr && memory == nullptr) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  *bits = bitmap ? static_cast<uint8_t*>(memory) : nullptr;
  return bitmap;
}

inline HBITMAP CreateBottomUpDib24(int width, int height, uint8_t** bits, HDC dc = nullptr) {
  return CreateBottomUpDib(width, height, 24, bits, dc);
}

}  // namespace vl::win
