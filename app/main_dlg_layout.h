// Geometry of the main window: its two sizes, the children's rectangles in client coordinates
// of the 730 x 648 window, the phone's panel at the right of the 1080 x 648 one, and where the
// caption buttons go at any width.
#pragma once

#include "common/pixel_rect.h"

namespace vl::main_layout {

using Rect = PixelRect;

constexpr int kIdleWidth = 730;
constexpr int kConnectedWidth = 1080;
constexpr int kHeight = 648;
constexpr int kCornerEllipse = 4;
// The strip at the top that moves the window when dragged.
constexpr int kDragStripBottom = 68;
// The line under the title bar, across the whole width (the panel's side too when connected).
constexpr int kTitleDividerY = kDragStripBottom - 1;

constexpr Rect kCloseButton{685, 8, 719, 42};
constexpr Rect kMinimiseButton{645, 8, 679, 42};
constexpr Rect kSettingsButton{605, 8, 639, 42};
constexpr Rect kConnectButton{622, 602, 718, 638};
constexpr Rect kDevicePicker{16, 602, 360, 638};
constexpr Rect kRefreshButton{376, 602, 456, 638};
constexpr Rect kNoDeviceHelpButton{462, 602, 542, 638};
constexpr Rect kVerticalFlipButton{16, 552, 106, 574};
constexpr Rect kHorizontalFlipButton{130, 552, 220, 574};
constexpr Rect kOrientationButton{636, 552, 726, 574};
constexpr Rect kPreview{1, 68, 728, 590};
constexpr Rect kLoadingOverlay{2, 2, 727, 645};

// Where the phone's panel goes in a client area of the given size: from the preview's right edge
// and the drag strip's bottom to 2 pixels before the right edge and 8 above the bottom. The panel
// is laid out for the connected window (kPanel) even while the window is still narrow.
constexpr Rect PanelArea(int client_width, int client_height) {
  return Rect{kPreview.right, kDragStripBottom, client_width - 2, client_height - 8};
}
constexpr Rect kPanel = PanelArea(kConnectedWidth, kHeight);

// The caption buttons follow the right edge: close, minimise and settings at 45, 85 and 125
// pixels from it, each 34 x 34 at the top.
constexpr int kCaptionButtonSize = 34;
constexpr Rect CaptionButton(int client_width, int offset_from_right) {
  return Rect{client_width - offset_from_right, 8,
              client_width - offset_from_right + kCaptionButtonSize, 8 + kCaptionButtonSize};
}
constexpr int kCloseOffset = 45;
constexpr int kMinimiseOffset = 85;
constexpr int kSettingsOffset = 125;
// Caption buttons move only once the window is wider than this (a first WM_SIZE may come
// before the layout exists).
constexpr int kMinimumLayoutWidth = 200;

}  // namespace vl::main_layout
