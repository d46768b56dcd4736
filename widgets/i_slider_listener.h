// How the slider tells its owner about the value the user drags it to. The owner outlives the
// widget.
#pragma once

namespace vl {

class ISliderListener {
 public:
  // While the left button is down and the value changed.
  virtual void OnSliderPos(int value) = 0;
  // At every left-button release the slider receives, with its value then.
  virtual void OnSliderEnd(int value) = 0;

 protected:
  ~ISliderListener() = default;
};

}  // namespace vl
