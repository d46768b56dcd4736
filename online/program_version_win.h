// The running program's file version.
#pragma once

#include <string>

namespace vl {

// "%d.%d.%d.%d" of the executable's version resource; empty when it cannot be read.
std::string GetProgramVersion();

}  // namespace vl
