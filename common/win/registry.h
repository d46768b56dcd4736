// The registry: an owner for open keys, string and number values, and the deletion of a key
// with everything below it. Narrow (ANSI code page) and wide (UTF-16) forms side by side: the
// program and the camera modules speak ANSI, the uninstaller UTF-16.
//
// Every call returns the registry's own error code (ERROR_SUCCESS on success), so callers can
// pass it on as HRESULT_FROM_WIN32 or ignore a missing key as they see fit.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace vl::win {

class RegistryKey {
 public:
  // Longest string value GetString reads; anything longer is reported as ERROR_MORE_DATA
  // rather than allocated.
  static constexpr DWORD kMaxStringBytes = 64 * 1024;

  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() { reset(); }
  RegistryKey(RegistryKey&& other) noexcept : key_(other.release()) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY release() { return std::exchange(key_, nullptr); }
  // Closes the key held (predefined roots such as HKEY_CURRENT_USER are never closed).
  void reset(HKEY key = nullptr);

  // Creates parent\path (with the keys above it) or opens it when it exists. The key held is
  // replaced only on success.
  LONG Create(HKEY parent, const char* path, REGSAM access = KEY_ALL_ACCESS);
  LONG Create(HKEY parent, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS);
  // Opens an existing parent\path; ERROR_FILE_NOT_FOUND when there is none.
  LONG Open(HKEY parent, const char* path, REGSAM access = KEY_READ);
  LONG Open(HKEY parent, const wchar_t* path, REGSAM access = KEY_READ);

  // A name of null or "" is the key's default value.
  LONG SetString(const char* name, const std::string& value);
  LONG SetString(const wchar_t* name, const std::wstring& value);
  LONG SetDword(const char* name, DWORD value);
  LONG SetDword(const wchar_t* name, DWORD value);
  // REG_SZ or REG_EXPAND_SZ (not expanded), without its terminator. ERROR_UNSUPPORTED_TYPE
  // for other types; ERROR_MORE_DATA above kMaxStringBytes. `value` is changed only on success.
  LONG GetString(const char* name, std::string* value) const;
  LONG GetString(const wchar_t* name, std::wstring* value) const;
  // ERROR_UNSUPPORTED_TYPE unless the value is a REG_DWORD.
  LONG GetDword(const char* name, DWORD* value) const;
  LONG GetDword(const wchar_t* name, DWORD* value) const;

  // Deletes a value; ERROR_FILE_NOT_FOUND when there is none.
  LONG DeleteValue(const char* name);
  LONG DeleteValue(const wchar_t* name);

 private:
  HKEY key_ = nullptr;
};

// Deletes parent\path with every key below it. A key that does not exist counts as deleted
// (ERROR_SUCCESS). Deletion goes depth first; a subkey that cannot be deleted stops the walk and
// its error is returned, leaving what could not go in place. `path` must not be empty: the
// parent itself is never deleted.
LONG DeleteKeyTree(HKEY parent, const char* path);
LONG DeleteKeyTree(HKEY parent, const wchar_t* path);

}  // namespace vl::win
