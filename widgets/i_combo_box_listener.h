// How the combo box tells its owner what the user picked. The owner outlives the widget.
#pragma once

namespace vl {

class ComboBox;

class IComboBoxListener {
 public:
  // The user picked an item in the list; `text` is its text (ANSI).
  virtual void OnComboSelect(ComboBox* combo, const char* text) = 0;

 protected:
  ~IComboBoxListener() = default;
};

}  // namespace vl
