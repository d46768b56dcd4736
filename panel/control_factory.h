// Makes a control from a "class" name.
#pragma once

#include <memory>
#include <string>

#include "panel/dui_ctrl.h"

namespace vl {

// A new control of that class with its start values, or null for a name outside the table.
std::unique_ptr<DUICtrl> CreateControl(const std::string& class_name, IPanelPlatform* platform);
std::unique_ptr<DUICtrl> CreateControl(ControlClass kind, IPanelPlatform* platform);

}  // namespace vl
