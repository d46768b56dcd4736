// The panel the controls of this process belong to: the newest panel manager while it lives.
#pragma once

#include "panel/i_panel_context.h"

namespace vl {

// Null while no panel manager lives.
IPanelContext* CurrentPanel();

}  // namespace vl
