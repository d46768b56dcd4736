// The per-user folder of the product's own data: "<local application data>\Velloria\". The
// program writes its settings and the help pictures the configuration host sends there (never
// beside itself, which may not be writable), and the program and both cameras (32- and 64-bit,
// inside whatever program opened them) look there before the pictures installed beside them.
#pragma once

#include <string>

namespace vl::win {

// With its trailing backslash (ANSI code page); created when `create` and missing. "" when it
// cannot be found (or created).
std::string UserDataFolder(bool create);

// The help pictures' folder inside it, "<user data folder>res\" (created when `create`); ""
// when it cannot be found.
std::string UserPictureFolder(bool create);

}  // namespace vl::win
