// The file a module was loaded from, as Windows reports it.
#pragma once

#include <windows.h>

#include <string>

#include "common/module_directory.h"

namespace vl::win {

// Full path of `module` (null: the program's executable) in the ANSI code page, or "" when it
// cannot be had whole (a truncated path would name a file that does not exist).
inline std::string ModuleFilePath(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

// A module's full path in UTF-16, and whether it was cut to fit the buffer.
struct WideModulePath {
  std::wstring path;
  bool truncated = false;
};

// GetModuleFileNameW with a buffer of at most `capacity` characters (the default is the longest
// path Windows has). A result that fills the buffer counts as truncated and leaves `path` empty:
// a cut path would name another file or folder.
inline WideModulePath ModuleFilePathWide(HMODULE module, size_t capacity = 32768) {
  WideModulePath result;
  std::wstring buffer(capacity, L'\0');
  const DWORD length = GetModuleFileNameW(module, &buffer[0], static_cast<DWORD>(capacity));
  if (length == 0 || length >= capacity) {
    result.truncated = true;
    return result;
  }
  buffer.resize(length);
  result.path = buffer;
  return result;
}

// The directory of `module` with its trailing backslash, or "" when its path cannot be had.
inline std::string ModuleDirectoryOf(HMODULE module) {
  return DirectoryOfModulePath(ModuleFilePath(module));
}

}  // namespace vl::win
