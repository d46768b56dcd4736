// The main window's connection workflow, apart from the window itself: the device list shown
// in the picker, connecting, disconnecting and failing, the orientation, mirror and flip
// toggles, and the looks each state gives the window. The window implements the view; the
// stream worker and the device scanner are reached through small interfaces, so the rules run
// and are tested without any window.
#pragma once

#include <string>
#include <vector>

#include "app/i_connection_view.h"
#include "app/i_device_source.h"
#include "app/i_stream_control.h"
#include "app/i_workflow_turns.h"
#include "device/device_entry.h"

namespace vl {

enum class WorkflowState { kStarting, kIdle, kConnecting, kConnected };

class ConnectionWorkflow {
 public:
  ConnectionWorkflow(IConnectionView& view, IStreamControl& stream, IDeviceSource& devices,
                     IWorkflowTurns* turns = nullptr);

  // kMsgDeviceListArrived: refills the picker from the scanner's current list; the first list after
  // adb could not be started also says so (once per start).
  void OnDeviceListArrived();
  // Timer 1 (after device changes): the picker says it is reading, a scan starts.
  void Refresh();
  // kCommandRefresh: Refresh, counted.
  void OnRefreshCommand();
  // kCommandConnect: Disconnect while the worker runs, else Connect. Given up while connecting, the
  // connection ends without the failure box.
  void OnConnectCommand();
  // kMsgStreamConnected, kMsgStreamRunEnded, kMsgStreamConnectFailed.
  void OnConnected();
  void OnDisconnected();
  void OnFailed();
  // kCommandOrientation, kCommandHorizontalFlip and kCommandVerticalFlip.
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
