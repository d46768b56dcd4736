// Bounds on what the phone can make the panel hold. The phone is not trusted: without them a
// chatty or hostile phone could deepen the control tree until the UI thread's stack overflows,
// grow it until the process runs out of window handles, or fill memory with pictures.
//
// Together they bound the panel's memory: the resource store (48 MiB), one decoded picture of at
// most 68 x 68 pixels per item (2,048 x 18 KiB = 36 MiB of bitmaps), the controls with their
// attributes (2,048 x 2 KiB of attribute text, kept at most three times: about 16 MiB with the
// objects) -- about 100 MiB held, kMaxPanelHeldBytes below -- and, while one command or one
// picture is being handled, the command's text and document (a command is at most 1 MiB of
// text) and one picture of at most 4 megapixels being decoded.
#pragma once

#include <cstdint>

namespace vl {

// Levels of the control tree, the root being level 1. A real panel uses 4 (operation area,
// page switch, page, item); descriptions or inserts below this level are dropped.
constexpr int kMaxPanelDepth = 16;
// Controls in one panel; real panels hold a few hundred. Further controls are dropped.
constexpr int kMaxPanelControls = 2048;
// Windows the panel's controls may have at once (a control makes one to four: an adjustment
// page three, its item list three, a slider four). A process has about 10,000 window handles
// for everything it shows, and each window costs the UI thread time to make (under Wine about
// 10 ms on a busy machine); a heavy real panel (500 controls) has about 800. Controls past this
// bound stay without a window.
constexpr int kMaxPanelWindows = 2048;
// Cell sizes and gaps of an item list are clamped to these so that positions cannot overflow.
constexpr int32_t kMaxCellSize = 4096;
constexpr int32_t kMaxCellGap = 1024;
// Offsets of a page's item list.
constexpr int32_t kMaxListPadding = 4096;
// Bytes the named-resource store holds: names, data and a per-entry charge, so that empty
// resources are bounded too. Past it new resources (and growing replacements) are refused.
constexpr int64_t kMaxResourceStoreBytes = 48 * 1024 * 1024;
constexpr int64_t kResourceEntryCharge = 64;
// Attribute text of one control description: names and values, and this charge per attribute.
// A real description holds a few dozen bytes; one past the bound is dropped like an unknown
// class.
constexpr int64_t kMaxAttributeBytes = 2048;
constexpr int64_t kAttributeCharge = 32;
// Pictures the phone sends for items: only formats whose header states the size (PNG, JPEG,
// GIF, BMP), at most this many pixels and this long a side, are decoded.
constexpr int64_t kMaxPicturePixels = 4 * 1024 * 1024;
constexpr int32_t kMaxPictureSide = 8192;
// Side of an item's decoded picture.
constexpr int32_t kItemPictureSide = 68;

// What the bounds above add up to, held by a full panel (see the top of this file).
constexpr int64_t kMaxPanelHeldBytes = 112ll * 1024 * 1024;

}  // namespace vl
