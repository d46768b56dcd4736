// What a downloaded installer says it is (its version resource), and whether that is the
// update that was offered: any file our publisher ever signed passes the signature check, so
// an older installer, or another of our programs, offered as a newer version must be refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "online/version_number.h"

namespace vl {

// The original file name every release installer carries in its version resource.
inline constexpr char kInstallerOriginalName[] = "setup.exe";

struct InstallerIdentity {
  VersionNumber version{};    // the fixed file version
  std::string original_name;  // "OriginalFilename" of the first translation
};

enum class InstallerVerdict {
  kAccepted,
  kNotAnInstaller,        // no version resource, or another original name (Uninstall.exe, ...)
  kNotTheOfferedVersion,  // the file's version is not the one offered
  kNotNewer,              // not newer than the running program (or its version is unknown)
};

InstallerVerdict JudgeInstaller(const std::optional<InstallerIdentity>& identity,
                                std::string_view offered_version, std::string_view program_version);

}  // namespace vl
