// Draws over the preview's picture (the main window's overlay buttons).
#pragma once

#include <windows.h>

namespace vl {

class IDrawHandler {
 public:
  // back_buffer: the preview's off-screen picture, to draw on; scratch: a memory DC free for
  // selecting source bitmaps.
  virtual void Draw(HDC back_buffer, HDC scratch) = 0;

 protected:
  ~IDrawHandler() = default;
};

}  // namespace vl
