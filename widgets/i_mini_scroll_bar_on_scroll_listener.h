// How the mini scroll bar tells its owner about a new position. The owner outlives the widget.
#pragma once

namespace vl {

class MiniScrollBar;

class IMiniScrollBarOnScrollListener {
 public:
  // The position changed by the user or by a notifying setter.
  virtual void OnScroll(MiniScrollBar* bar, int position) = 0;

 protected:
  ~IMiniScrollBarOnScrollListener() = default;
};

}  // namespace vl
