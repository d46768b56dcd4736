#include "widgets/font_cache.h"

#include <map>
#include <mutex>

#include "widgets/font_size.h"

namespace vl {
namespace {

// "微软雅黑" in code page 936; the wide form keeps the face name right whatever the code page.
constexpr wchar_t kFaceName[] = L"\x5FAE\x8F6F\x96C5\x9ED1";

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT MakeFont(int pixel_size) {
  LOGFONTW lf = {};
  lf.lfHeight = -FontPixelHeight(FontPointTenths(pixel_size), ScreenDpi());
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynW(lf.lfFaceName, kFaceName, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

HFONT GetCachedFont(int pixel_size) {
  // Leaked on purpose: fonts handed out stay valid until the process ends, even while static
  // destructors run.
  static auto* fonts = new std::map<int, HFONT>;
  static auto* lock = new std::mutex;
  std::lock_guard<std::mutex> guard(*lock);
  auto it = fonts->find(pixel_size);
  if (it != fonts->end()) return it->second;
  HFONT font = MakeFont(pixel_size);
  if (font) (*fonts)[pixel_size] = font;
  return font;
}

}  // namespace vl
