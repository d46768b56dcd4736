// The main window's own child widgets: caption buttons, connect button, device picker, refresh
// and no-device help links, and the loading overlay with the windows it hides while shown.
#pragma once

#include <windows.h>

#include <vector>

#include "app/connection_workflow.h"
#include "common/main_window_messages.h"
#include "widgets/combo_box.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"
#include "widgets/i_combo_box_listener.h"
#include "widgets/loading_button.h"
#include "widgets/loading_wnd.h"

namespace vl {

class MainDlgControls : public IComboBoxListener {
 public:
  // Creates every control, shown, in the 730 x 648 layout.
  void Create(HWND main);

  // Hides every child of the main window whose own visible style is set (the dialog itself is
  // not shown yet, so the style, not IsWindowVisible, tells) and shows the overlay on top.
  void BeginLoading();
  // Shows again what BeginLoading hid and hides the overlay.
  void EndLoading();
  const std::vector<HWND>& hidden_windows() const { return hidden_; }

  void SetConnectLook(ConnectLook look, bool enabled);
  // Caption buttons follow the right edge of a window `client_width` wide.
  void PlaceCaptionButtons(int client_width);
  bool created() const { return close_.IsWindow(); }

  // IComboBoxListener: a pick in the list needs nothing here (Connect reads the selection).
  void OnComboSelect(ComboBox* combo, const char* text) override;

  ImageButton& close_button() { return close_; }
  ImageButton& minimise_button() { return minimise_; }
  ImageButton& settings_button() { return settings_; }
  LoadingButton& connect_button() { return connect_; }
  ComboBox& picker() { return picker_; }
  CIconButton& refresh_button() { return refresh_; }
  CIconButton& help_button() { return help_; }
  LoadingWnd& loading_overlay() { return loading_; }

 private:
  HWND main_ = nullptr;
  ImageButton close_;
  ImageButton minimise_;
  ImageButton settings_;
  LoadingButton connect_;
  ComboBox picker_;
  CIconButton refresh_;
  CIconButton help_;
  LoadingWnd loading_;
  std::vector<HWND> hidden_;
};

}  // namespace vl
