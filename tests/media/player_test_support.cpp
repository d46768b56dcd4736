#include "tests/media/player_test_support.h"

namespace vl::test {

std::unique_ptr<VideoFrame> QuadrantPicture(int width, int height) {
  auto frame = VideoFrame::Create(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = frame->bits() + (height - 1 - y) * frame->stride();  // bottom-up
    for (int x = 0; x < width; ++x) {
      const bool top = y < height / 2, left = x < width / 2;
      const Colour c = top ? (left ? Colour{255, 0, 0} : Colour{0, 255, 0})
                           : (left ? Colour{0, 0, 255} : Colour{255, 255, 0});
      row[x * 3] = static_cast<uint8_t>(c.b);
      row[x * 3 + 1] = static_cast<uint8_t>(c.g);
      row[x * 3 + 2] = static_cast<uint8_t>(c.r);
    }
  }
  return frame;
}

WindowShot::WindowShot(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  pixels_.reset(new uint8_t[static_cast<size_t>(width_) * height_ * 4]);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC window_dc = GetDC(window);
  HDC memory = CreateCompatibleDC(window_dc);
  HBITMAP bitmap = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, window_dc, 0, 0, SRCCOPY);
  GdiFlush();
  memcpy(pixels_.get(), bits, static_cast<size_t>(width_) * height_ * 4);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, window_dc);
}

Colour WindowShot::At(int x, int y) const {
  const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 4];
  return {p[2], p[1], p[0]};
}

}  // namespace vl::test
