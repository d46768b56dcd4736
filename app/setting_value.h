// Rules for values in "AppConfig.ini", apart from the file access: values are single lines and
// are returned cut to a fixed size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vl {

// The most bytes a value read back holds (a 260-byte buffer and its terminator).
constexpr size_t kSettingValueLimit = 258;
// How a line break is stored inside a value.
constexpr char kStoredLineBreak[] = "</br>";

// The value as one line for the file: every line break (CR LF, CR or LF) is stored as "</br>",
// so a value can never start a line of its own (a forged key or section).
std::string SettingValueForFile(std::string_view value);

// A key the file can hold: not empty, on one line, without '=' and not starting with '['.
bool IsValidSettingKey(std::string_view key);

// A value as read back: at most kSettingValueLimit bytes, never half a double-byte character.
std::string CutSettingValue(std::string_view value);

}  // namespace vl
