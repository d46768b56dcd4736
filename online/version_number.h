// Program versions "a.b.c.d" as Windows file versions carry them: four 16-bit fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

using VersionNumber = std::array<uint16_t, 4>;

// Up to four dot-separated fields, each its leading decimal digits (none gives 0, more than
// 65535 gives 65535); missing fields are 0. "1.2.3" is 1.2.3.0.
VersionNumber ParseVersion(std::string_view text);

// "%d.%d.%d.%d".
std::string FormatVersion(const VersionNumber& version);

// True when `offered` is a later version than `program`, field by field from the first.
// An empty program version never sees an update (its own version could not be read).
bool IsNewerVersion(std::string_view program, std::string_view offered);

}  // namespace vl
