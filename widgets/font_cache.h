// The shared font cache: process-wide fonts of the face "微软雅黑" by pixel size, made on first
// use and kept for the life of the process. Every widget, dialog and panel control draws its
// text with these fonts; callers never delete them.
#pragma once

#include <windows.h>

namespace vl {

// The font of `pixel_size` pixels as designed at 96 dpi (its point size is pixel_size x 720 / 96,
// so it scales with the screen's logical resolution). Thread-safe. Null only if the system
// refuses to make a font.
HFONT GetCachedFont(int pixel_size);

}  // namespace vl
