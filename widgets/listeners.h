// Listener interfaces through which the combo box, the mini scroll bar and the slider talk to
// their owners. The owner implements them and outlives the widget.
#pragma once

namespace vl {

class ComboBox;
class MiniScrollBar;

class IComboBoxListener {
 public:
  // The user picked an item in the list; `text` is its text (ANSI).
  virtual void OnComboSelect(ComboBox* combo, const char* text) = 0;

 protected:
  ~IComboBoxListener() = default;
};

class IMiniScrollBarOnScrollListener {
 public:
  // The position changed by the user or by a notifying setter.
  virtual void OnScroll(MiniScrollBar* bar, int position) = 0;

 protected:
  ~IMiniScrollBarOnScrollListener() = default;
};

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
