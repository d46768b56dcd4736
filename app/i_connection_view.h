// The main window as the connection workflow sees it (ConnectionWorkflow): what the workflow
// changes in the window.
#pragma once

#include <string>
#include <vector>

namespace vl {

enum class ConnectLook { kIdle, kConnecting, kConnected };

// What the workflow changes in the window. Texts are in the ANSI code page.
class IConnectionView {
 public:
  // Empties the picker, adds the names in order and selects `selected` (-1: none).
  virtual void ShowDevices(const std::vector<std::string>& names, int selected) = 0;
  virtual void SetPickerText(const std::string& text) = 0;
  // The picker's selected position, -1 when nothing is selected.
  virtual int SelectedDevice() const = 0;
  virtual void SetNoDeviceHelpVisible(bool visible) = 0;
  // Shows again what the loading overlay hid, and hides the overlay.
  virtual void EndLoading() = 0;
  virtual void SetConnectLook(ConnectLook look, bool enabled) = 0;
  // Connected: the wide window, picker and refresh disabled, the overlay buttons shown;
  // otherwise the narrow window, picker and refresh enabled, the overlay buttons hidden.
  virtual void SetConnectedLayout(bool connected) = 0;
  virtual void SetPreviewPolling(bool on) = 0;
  // The orientation button names the mode a click switches to.
  virtual void SetOrientationLook(bool portrait) = 0;
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

 protected:
  ~IConnectionView() = default;
};

}  // namespace vl
