// The window of a labelled slider in an adjustment page's 320 x 22 cell: the caption in pixels
// 0-40, the slider widget in 50-270 and the value, right-aligned, in 270-310; caption and value
// vertically centred on the track.
#pragma once

#include "common/win/handles.h"
#include "panel/control_window_win.h"
#include "panel/dui_items.h"
#include "widgets/i_slider_listener.h"
#include "widgets/slider.h"

namespace vl {

class SliderWindow : public ControlWindow, public ISliderListener {
 public:
  static constexpr COLORREF kNameColour = 0x606060;
  static constexpr COLORREF kValueColour = 0x8F8F8F;

  explicit SliderWindow(DUISlider& slider) : ControlWindow(slider), model_(slider) {}
  ~SliderWindow() override { DestroyOwnWindow(); }

  // The range and value follow the control; the value label shows the value.
  void Refresh() override;
  // ISliderListener: the user moved the thumb or let it go.
  void OnSliderPos(int value) override { model_.OnSliderPos(value); }
  void OnSliderEnd(int value) override { model_.OnSliderEnd(value); }

  Slider& slider() { return slider_; }
  HWND name_label() const { return name_label_; }
  HWND value_label() const { return value_label_; }

  BEGIN_MSG_MAP(SliderWindow)
  MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnLabelColour)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 protected:
  void BeforeChildren() override;

 private:
  LRESULT OnLabelColour(UINT, WPARAM, LPARAM, BOOL&);

  DUISlider& model_;
  Slider slider_;
  HWND name_label_ = nullptr;   // destroyed with this window
  HWND value_label_ = nullptr;  // destroyed with this window
  win::UniqueBrush label_brush_;
};

}  // namespace vl
