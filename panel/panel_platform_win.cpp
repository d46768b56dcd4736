#include "panel/panel_platform_win.h"

#include <climits>

#include "panel/control_window_win.h"
#include "panel/dui_items.h"
#include "panel/dui_list_view.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"
#include "panel/item_windows_win.h"
#include "panel/list_view_window_win.h"
#include "panel/page_windows_win.h"
#include "panel/picture_header.h"
#include "panel/slider_window_win.h"
#include "panel/tab_window_win.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {

HBITMAP PanelPictures::Get(Slot slot) const {
  static constexpr int kIds[] = {pictures::kCircleMask, pictures::kEditMark, pictures::kDecorFrame,
                                 pictures::kCheckMark, pictures::kAdjustMark};
  if (!tried_[slot]) {
    tried_[slot] = true;
    bitmaps_[slot] = LoadPngResourceBitmap(kIds[slot]);
  }
  return bitmaps_[slot].get();
}

std::unique_ptr<IControlView> PanelPlatformWin::MakeView(DUICtrl& control) {
  // By the class the control was created with: a later "class" attribute changes nothing here.
  switch (control.kind()) {
    case ControlClass::kTab:
      return std::make_unique<TabButtonWindow>(static_cast<DUITabButton&>(control));
    case ControlClass::kPageList:
      return std::make_unique<PageListWindow>(static_cast<DUIPageList&>(control));
    case ControlClass::kPageAdjust:
      return std::make_unique<PageAdjustWindow>(static_cast<DUIPageAdjust&>(control));
    case ControlClass::kListView:
      return std::make_unique<ListViewWindow>(static_cast<DUIListView&>(control));
    case ControlClass::kSlider:
      return std::make_unique<SliderWindow>(static_cast<DUISlider&>(control));
    case ControlClass::kCircleItem:
      return std::make_unique<CircleItemWindow>(static_cast<DUICircleItem&>(control), pictures_);
    case ControlClass::kDecorItem:
      return std::make_unique<DecorItemWindow>(static_cast<DUIDecorItem&>(control), pictures_);
    case ControlClass::kFilterItem:
      return std::make_unique<FilterItemWindow>(static_cast<DUIFilterItem&>(control), pictures_);
    case ControlClass::kOpArea:
    case ControlClass::kTabHolder:
    case ControlClass::kPageSwitch:
      return std::make_unique<ControlWindow>(control);  // they paint nothing of their own
  }
  return nullptr;
}

std::unique_ptr<PanelPicture> PanelPlatformWin::DecodePicture(const uint8_t* data, size_t size,
                                                              int32_t bound) {
  if (!data || size == 0 || size > INT_MAX) return nullptr;
  // The decoder allocates what the header declares: refuse sizes no item needs before it does
  // (and formats such as metafiles whose size is whatever they are drawn at).
  PictureSize declared;
  if (!ReadPictureSize(data, size, &declared) || !IsDecodablePictureSize(declared)) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> decoded = LoadBitmapFromMemory(data, static_cast<int>(size));
  if (!decoded || decoded->GetWidth() == 0) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> fitted = ScaleImageToFit(decoded.get(), bound);
  if (!fitted) return nullptr;
  const int32_t w = static_cast<int32_t>(fitted->GetWidth());
  const int32_t h = static_cast<int32_t>(fitted->GetHeight());
  win::UniqueBitmap bitmap = ToAlphaBitmap(fitted.get());
  if (!bitmap) return nullptr;
  return std::make_unique<GdiPanelPicture>(std::move(bitmap), w, h);
}

}  // namespace vl
