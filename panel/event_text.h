// The text of a "notify" event the PC sends to the phone when the user works a control.
#pragma once

#include <cstdint>
#include <string>

#include "panel/dui_ctrl.h"

namespace vl {

// <command name="notify"><event name="NAME" id="ID" parent_id="PID" KEY="VALUE"...></event>
// </command> on one line, nothing escaped (keys and values are plain words and numbers).
std::string BuildEventText(const std::string& name, int32_t id, int32_t parent_id,
                           const EventPairs& extra);

}  // namespace vl
