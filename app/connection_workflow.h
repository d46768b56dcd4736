// The main window's connection workflow, apart from the window itself: the device list shown
// in the picker, connecting, disconnecting and failing, the orientation, mirror and flip
// toggles, and the looks each state gives the window. The window implements the view; the
// stream worker and the device scanner are reached through small interfaces, so the rules run
// and are tested without any window.
#pragma once

#include <string>
#include <vector>

#include "device/device_entry.h"

namespace vl {

enum class ConnectLook { kIdle, kConnecting, kConnected };
enum class WorkflowState { kStarting, kIdle, kConnecting, kConnected };

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

// The stream worker as the workflow drives it.
class IStreamControl {
 public:
  virtual void Start(const DeviceEntry& device) = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
  virtual std::string GetErrorText() const = 0;
  virtual void SetMirror(int mirror, int flip) = 0;
  virtual void SetPortrait(int portrait) = 0;

 protected:
  ~IStreamControl() = default;
};

// The device scanner as the workflow uses it.
class IDeviceSource {
 public:
  virtual bool StartScan() = 0;
  virtual std::vector<DeviceEntry> GetEntries() const = 0;
  // The latest scan could not start adb\adb.exe (Android phones cannot be listed).
  virtual bool AdbMissing() const = 0;

 protected:
  ~IDeviceSource() = default;
};

// Turns that the hosting of the panel and of the online services take in the workflow.
class IWorkflowTurns {
 public:
  // An empty device list arrived; `refresh_count` counts refresh presses since the last
  // non-empty list (the turn may reset it).
  virtual void OnEmptyDeviceList(int& refresh_count) = 0;
  // After the window widened (connected) or narrowed (disconnected or failed).
  virtual void OnConnectedLayout() = 0;
  virtual void OnDisconnectedLayout() = 0;
  // The Android driver download link of the remote configuration; empty when none is known.
  virtual std::string AndroidDriverLink() = 0;

 protected:
  ~IWorkflowTurns() = default;
};

class ConnectionWorkflow {
 public:
  ConnectionWorkflow(IConnectionView& view, IStreamControl& stream, IDeviceSource& devices,
                     IWorkflowTurns* turns = nullptr);

  // Message 0x464: refills the picker from the scanner's current list; the first list after
  // adb could not be started also says so (once per start).
  void OnDeviceListArrived();
  // Timer 1 (after device changes): the picker says it is reading, a scan starts.
  void Refresh();
  // Command 3: Refresh, counted.
  void OnRefreshCommand();
  // Command 1: Disconnect while the worker runs, else Connect. Given up while connecting, the
  // connection ends without the failure box.
  void OnConnectCommand();
  // Messages 0x401, 0x402, 0x403.
  void OnConnected();
  void OnDisconnected();
  void OnFailed();
  // Commands 4, 5 and 8.
  void ToggleOrientation();
  void ToggleMirror();
  void ToggleFlip();

  WorkflowState state() const { return state_; }
  bool portrait() const { return portrait_; }
  bool mirror() const { return mirror_; }
  bool flip() const { return flip_; }
  int refresh_count() const { return refresh_count_; }
  const DeviceEntry& current_device() const { return current_device_; }
  // The list the picker shows, position for position.
  const std::vector<DeviceEntry>& shown_devices() const { return shown_devices_; }

 private:
  void Connect();
  void Disconnect();
  void ApplyDisconnectedLook();

  IConnectionView& view_;
  IStreamControl& stream_;
  IDeviceSource& devices_;
  IWorkflowTurns* turns_;

  WorkflowState state_ = WorkflowState::kStarting;
  std::vector<DeviceEntry> shown_devices_;
  DeviceEntry current_device_;
  bool portrait_ = false;
  bool mirror_ = false;
  bool flip_ = false;
  bool cancelled_ = false;  // the user stopped the connection being made
  int refresh_count_ = 0;
  bool adb_missing_told_ = false;
};

}  // namespace vl
