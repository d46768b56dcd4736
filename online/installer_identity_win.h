// Reading a downloaded installer's version resource without loading or starting it.
#pragma once

#include <optional>
#include <string>

#include "online/installer_identity.h"

namespace vl {

// The fixed file version and the original file name of the file at `path` (ANSI); nothing when
// it has no readable version resource.
std::optional<InstallerIdentity> ReadInstallerIdentity(const std::string& path);

}  // namespace vl
