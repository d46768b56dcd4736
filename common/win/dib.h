// 24-bit bottom-up DIB sections: the pictures' memory layout (B, G, R; rows from the bottom up,
// each padded to a multiple of 4 bytes), selectable into a DC.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vl::win {

// A new DIB section and its pixel memory, or null (with *bits null) when it cannot be made.
inline HBITMAP CreateBottomUpDib24(int width, int height, uint8_t** bits, HDC dc = nullptr) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
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

}  // namespace vl::win
