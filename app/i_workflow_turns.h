// What the main window's hosts add to the connection workflow (ConnectionWorkflow).
#pragma once

#include <string>

namespace vl {

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

}  // namespace vl
