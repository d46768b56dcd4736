#include "app/main_preview_host.h"

#include "app/main_dlg_layout.h"
#include "common/text_convert.h"
#include "common/win/pixel_rect_win.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

namespace ml = main_layout;

// The overlay buttons' captions, in UTF-8 here.
constexpr char kVerticalFlipText[] = "垂直翻转";
constexpr char kHorizontalFlipText[] = "水平翻转";
constexpr char kToPortraitText[] = "竖屏模式";
constexpr char kToLandscapeText[] = "横屏模式";

void StyleOverlayButton(CIconButton& button, HWND painter) {
  button.SetFontSize(12);
  button.SetGap(6);
  button.SetTextColors(RGB(255, 255, 255), RGB(250, 108, 156), RGB(214, 82, 126),
                       RGB(255, 255, 255));
  button.SetParentDrawn(true, painter);
  ::ShowWindow(button, SW_HIDE);
}

}  // namespace

void MainPreviewHost::Create(HWND main) {
  // The buttons lie over the preview as children of the main window; the preview paints them
  // into its picture, so they show on top of the video.
  vertical_flip_.Create(main, ToRect(ml::kVerticalFlipButton), 8,
                        Utf8ToAnsi(kVerticalFlipText).c_str());
  vertical_flip_.SetImages(pictures::kFlipVerticalNormal, pictures::kFlipVerticalHover,
                           pictures::kFlipVerticalPressed, pictures::kFlipVerticalNormal);
  horizontal_flip_.Create(main, ToRect(ml::kHorizontalFlipButton), 5,
                          Utf8ToAnsi(kHorizontalFlipText).c_str());
  horizontal_flip_.SetImages(pictures::kFlipHorizontalNormal, pictures::kFlipHorizontalHover,
                             pictures::kFlipHorizontalPressed, pictures::kFlipHorizontalNormal);
  orientation_.Create(main, ToRect(ml::kOrientationButton), 4, nullptr);
  SetOrientationLook(false);

  // Without WS_CLIPSIBLINGS: the preview paints over the overlay buttons lying on it, whose own
  // windows paint nothing (the preview draws them into its picture).
  preview_.Create(main, ToRect(ml::kPreview), nullptr, WS_CHILD | WS_VISIBLE);
  preview_.SetDrawHandler(this);
  for (CIconButton* button : {&vertical_flip_, &horizontal_flip_, &orientation_}) {
    StyleOverlayButton(*button, preview_);
    // Above the preview, so that clicks reach the buttons.
    ::SetWindowPos(*button, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainPreviewHost::SetOverlayButtonsVisible(bool visible) {
  for (CIconButton* button : {&vertical_flip_, &horizontal_flip_, &orientation_})
    ::ShowWindow(*button, visible ? SW_SHOWNA : SW_HIDE);
  if (preview_.IsWindow()) preview_.Invalidate(FALSE);
}

void MainPreviewHost::SetOrientationLook(bool portrait) {
  if (portrait) {
    orientation_.SetText(Utf8ToAnsi(kToLandscapeText).c_str());
    orientation_.SetImages(pictures::kToLandscapeNormal, pictures::kToLandscapeHover,
                           pictures::kToLandscapePressed, pictures::kToLandscapeNormal);
  } else {
    orientation_.SetText(Utf8ToAnsi(kToPortraitText).c_str());
    orientation_.SetImages(pictures::kToPortraitNormal, pictures::kToPortraitHover,
                           pictures::kToPortraitPressed, pictures::kToPortraitNormal);
  }
  if (preview_.IsWindow()) preview_.Invalidate(FALSE);
}

void MainPreviewHost::Draw(HDC back_buffer, HDC /*scratch*/) {
  // Hidden parent-drawn buttons paint nothing.
  for (CIconButton* button : {&vertical_flip_, &horizontal_flip_, &orientation_})
    if (button->IsWindow() && ::IsWindowVisible(*button)) button->PaintInto(back_buffer);
}

}  // namespace vl
