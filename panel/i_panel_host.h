// The window that hosts the panel (the main window): it receives each new root built by a
// "config" command and creates the root's window in its panel area.
#pragma once

namespace vl {

class DUICtrl;

class IPanelHost {
 public:
  virtual ~IPanelHost() = default;
  // Null changes nothing. The root stays owned by the panel manager.
  virtual void SetPanelWindow(DUICtrl* root) = 0;
};

}  // namespace vl
