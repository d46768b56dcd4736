#include "online/installer_identity_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace vl {

std::optional<InstallerIdentity> ReadInstallerIdentity(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  // A version resource is a few KB; anything huge is not one of ours.
  if (size == 0 || size > (1u << 20)) return std::nullopt;
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
      fixed == nullptr || fixed_size < sizeof *fixed || fixed->dwSignature != VS_FFI_SIGNATURE)
    return std::nullopt;
  InstallerIdentity identity;
  identity.version = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
  struct Translation {
    WORD language;
    WORD code_page;
  };
  Translation* translations = nullptr;
  UINT translations_size = 0;
  if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translations), &translations_size) &&
      translations != nullptr && translations_size >= sizeof(Translation)) {
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\OriginalFilename",
                  translations[0].language, translations[0].code_page);
    char* name = nullptr;
    UINT name_length = 0;
    if (VerQueryValueA(info.data(), key, reinterpret_cast<void**>(&name), &name_length) &&
        name != nullptr && name_length > 0) {
      identity.original_name.assign(name, strnlen(name, name_length));
    }
  }
  return identity;
}

}  // namespace vl
