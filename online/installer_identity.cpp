#include "online/installer_identity.h"

#include <cctype>

namespace vl {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

InstallerVerdict JudgeInstaller(const std::optional<InstallerIdentity>& identity,
                                std::string_view offered_version,
                                std::string_view program_version) {
  if (!identity || !EqualNoCase(identity->original_name, kInstallerOriginalName))
    return InstallerVerdict::kNotAnInstaller;
  if (offered_version.empty() || identity->version != ParseVersion(offered_version))
    return InstallerVerdict::kNotTheOfferedVersion;
  if (program_version.empty() || !(ParseVersion(program_version) < identity->version))
    return InstallerVerdict::kNotNewer;
  return InstallerVerdict::kAccepted;
}

}  // namespace vl
