// The mini scroll bar's maths: thumb size and place, position from a dragged thumb.
// Platform-neutral; never divides by zero, whatever range, page and client height.
#pragma once

namespace vl {

struct ScrollState {
  int range = 20;    // content size
  int page = 10;     // visible size
  int position = 0;  // 0 .. range - page
};

// Thumbs are never shorter than this (unless the client is).
constexpr int kMinimumThumbHeight = 56;

// The largest position: range - page, or 0 when the content fits.
int MaxScrollPosition(const ScrollState& s);
int ClampScrollPosition(const ScrollState& s, int position);

// Thumb height: client x page / range, at least kMinimumThumbHeight, never above the client
// height; the whole client when the range is 0 or less.
int ScrollThumbHeight(const ScrollState& s, int client_height);

// Thumb top: (client - thumb) x position / (range - page); 0 when nothing scrolls.
int ScrollThumbTop(const ScrollState& s, int client_height);

// The position for a thumb dragged to `thumb_top` (clamped inside the client):
// (range - page) x top / (client - thumb); 0 when the thumb fills the track.
int ScrollPositionForThumbTop(const ScrollState& s, int client_height, int thumb_top);

}  // namespace vl
