// The one way the online services open a web address they were given (IUserPrompts).
#pragma once

#include <string>

#include "online/i_user_prompts.h"

namespace vl {

// Opens `url` in the browser only when it is an http:// or https:// address; anything else
// (it may come from the network or the settings file) is ignored. True when opened.
bool OpenWebAddress(IUserPrompts& prompts, const std::string& url);

}  // namespace vl
