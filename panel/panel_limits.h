// Bounds on what the phone can make the panel hold. The phone is not trusted: without them a
// chatty or hostile phone could deepen the control tree until the UI thread's stack overflows,
// grow it until the process runs out of window handles, or fill memory with pictures.
#pragma once

#include <cstdint>

namespace vl {

// Levels of the control tree, the root being level 1. A real panel uses 4 (operation area,
// page switch, page, item); descriptions or inserts below this level are dropped.
constexpr int kMaxPanelDepth = 16;
// Controls in one panel. Every control is a window (a slider four), and a process has about
// 10,000 window handles; real panels hold a few hundred. Further controls are dropped.
constexpr int kMaxPanelControls = 2048;
// Cell sizes and gaps of an item list are clamped to these so that positions cannot overflow.
constexpr int32_t kMaxCellSize = 4096;
constexpr int32_t kMaxCellGap = 1024;
// Offsets of a page's item list.
constexpr int32_t kMaxListPadding = 4096;
// Bytes the named-resource store holds: names, data and a per-entry charge, so that empty
// resources are bounded too. Past it new resources (and growing replacements) are refused.
constexpr int64_t kMaxResourceStoreBytes = 48 * 1024 * 1024;
constexpr int64_t kResourceEntryCharge = 64;

}  // namespace vl
