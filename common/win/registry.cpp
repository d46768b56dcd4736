#include "common/win/registry.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

namespace vl::win {
namespace {

// The narrow and wide registry functions behind one set of names.
struct Narrow {
  using Char = char;
  static size_t Length(const char* s) { return std::strlen(s); }
  static LONG CreateKey(HKEY parent, const char* path, REGSAM access, HKEY* key) {
    return RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, key, nullptr);
  }
  static LONG OpenKey(HKEY parent, const char* path, REGSAM access, HKEY* key) {
    return RegOpenKeyExA(parent, path, 0, access, key);
  }
  static LONG SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD bytes) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
  }
  static LONG QueryValue(HKEY key, const char* name, DWORD* type, void* data, DWORD* bytes) {
    return RegQueryValueExA(key, name, nullptr, type, static_cast<BYTE*>(data), bytes);
  }
  static LONG DeleteValue(HKEY key, const char* name) { return RegDeleteValueA(key, name); }
  static LONG DeleteKey(HKEY parent, const char* path) { return RegDeleteKeyA(parent, path); }
  static LONG FirstSubkey(HKEY key, char* name, DWORD* length) {
    return RegEnumKeyExA(key, 0, name, length, nullptr, nullptr, nullptr, nullptr);
  }
};

struct Wide {
  using Char = wchar_t;
  static size_t Length(const wchar_t* s) { return std::wcslen(s); }
  static LONG CreateKey(HKEY parent, const wchar_t* path, REGSAM access, HKEY* key) {
    return RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, key, nullptr);
  }
  static LONG OpenKey(HKEY parent, const wchar_t* path, REGSAM access, HKEY* key) {
    return RegOpenKeyExW(parent, path, 0, access, key);
  }
  static LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
  }
  static LONG QueryValue(HKEY key, const wchar_t* name, DWORD* type, void* data, DWORD* bytes) {
    return RegQueryValueExW(key, name, nullptr, type, static_cast<BYTE*>(data), bytes);
  }
  static LONG DeleteValue(HKEY key, const wchar_t* name) { return RegDeleteValueW(key, name); }
  static LONG DeleteKey(HKEY parent, const wchar_t* path) { return RegDeleteKeyW(parent, path); }
  static LONG FirstSubkey(HKEY key, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key, 0, name, length, nullptr, nullptr, nullptr, nullptr);
  }
};

// The registry's own nesting limit; deeper recursion would only mean a damaged tree.
constexpr int kMaxDepth = 512;
// Key names are at most 255 characters.
constexpr DWORD kMaxKeyName = 256;

bool IsPredefined(HKEY key) {
  // The predefined roots are the handle values 0x80000000 to 0x800000FF.
  const auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key));
  return (value & 0xFFFFFF00u) == 0x80000000u;
}

template <typename Api>
LONG OpenKeyInto(RegistryKey* owner, HKEY parent, const typename Api::Char* path, REGSAM access,
                 bool create) {
  HKEY key = nullptr;
  const LONG error = create ? Api::CreateKey(parent, path, access, &key)
                            : Api::OpenKey(parent, path, access, &key);
  if (error == ERROR_SUCCESS) owner->reset(key);
  return error;
}

template <typename Api, typename String>
LONG SetStringValue(HKEY key, const typename Api::Char* name, const String& value) {
  const size_t bytes = (value.size() + 1) * sizeof(typename Api::Char);
  if (bytes > MAXDWORD) return ERROR_INVALID_PARAMETER;
  return Api::SetValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>(bytes));
}

template <typename Api, typename String>
LONG GetStringValue(HKEY key, const typename Api::Char* name, String* value) {
  using Char = typename Api::Char;
  DWORD type = 0;
  DWORD bytes = 0;
  LONG error = Api::QueryValue(key, name, &type, nullptr, &bytes);
  if (error != ERROR_SUCCESS) return error;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
  if (bytes > RegistryKey::kMaxStringBytes) return ERROR_MORE_DATA;
  // One spare character: a stored string need not carry its terminator.
  std::vector<Char> buffer(bytes / sizeof(Char) + 1, Char());
  DWORD got = bytes;
  error = Api::QueryValue(key, name, &type, buffer.data(), &got);
  if (error != ERROR_SUCCESS) return error;  // changed meanwhile: ERROR_MORE_DATA
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
  size_t length = got / sizeof(Char);
  while (length > 0 && buffer[length - 1] == Char()) --length;
  value->assign(buffer.data(), length);
  return ERROR_SUCCESS;
}

template <typename Api>
LONG GetDwordValue(HKEY key, const typename Api::Char* name, DWORD* value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD bytes = sizeof(data);
  const LONG error = Api::QueryValue(key, name, &type, &data, &bytes);
  if (error == ERROR_MORE_DATA) return ERROR_UNSUPPORTED_TYPE;
  if (error != ERROR_SUCCESS) return error;
  if (type != REG_DWORD || bytes != sizeof(data)) return ERROR_UNSUPPORTED_TYPE;
  *value = data;
  return ERROR_SUCCESS;
}

template <typename Api>
LONG DeleteTree(HKEY parent, const typename Api::Char* path, int depth) {
  using Char = typename Api::Char;
  if (path == nullptr || Api::Length(path) == 0) return ERROR_INVALID_PARAMETER;
  if (depth > kMaxDepth) return ERROR_CANTWRITE;
  {
    RegistryKey key;
    const LONG error = OpenKeyInto<Api>(&key, parent, path, MAXIMUM_ALLOWED, false);
    if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return error;
    // Always the first subkey, until none is left.
    Char child[kMaxKeyName];
    for (;;) {
      DWORD length = kMaxKeyName;
      const LONG found = Api::FirstSubkey(key.get(), child, &length);
      if (found == ERROR_NO_MORE_ITEMS) break;
      if (found != ERROR_SUCCESS) return found;
      const LONG deleted = DeleteTree<Api>(key.get(), child, depth + 1);
      if (deleted != ERROR_SUCCESS) return deleted;
    }
  }
  const LONG error = Api::DeleteKey(parent, path);
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

}  // namespace

void RegistryKey::reset(HKEY key) {
  if (key_ != nullptr && !IsPredefined(key_)) RegCloseKey(key_);
  key_ = key;
}

LONG RegistryKey::Create(HKEY parent, const char* path, REGSAM access) {
  return OpenKeyInto<Narrow>(this, parent, path, access, true);
}
LONG RegistryKey::Create(HKEY parent, const wchar_t* path, REGSAM access) {
  return OpenKeyInto<Wide>(this, parent, path, access, true);
}
LONG RegistryKey::Open(HKEY parent, const char* path, REGSAM access) {
  return OpenKeyInto<Narrow>(this, parent, path, access, false);
}
LONG RegistryKey::Open(HKEY parent, const wchar_t* path, REGSAM access) {
  return OpenKeyInto<Wide>(this, parent, path, access, false);
}

LONG RegistryKey::SetString(const char* name, const std::string& value) {
  return SetStringValue<Narrow>(key_, name, value);
}
LONG RegistryKey::SetString(const wchar_t* name, const std::wstring& value) {
  return SetStringValue<Wide>(key_, name, value);
}
LONG RegistryKey::SetDword(const char* name, DWORD value) {
  return Narrow::SetValue(key_, name, REG_DWORD, &value, sizeof(value));
}
LONG RegistryKey::SetDword(const wchar_t* name, DWORD value) {
  return Wide::SetValue(key_, name, REG_DWORD, &value, sizeof(value));
}
LONG RegistryKey::GetString(const char* name, std::string* value) const {
  return GetStringValue<Narrow>(key_, name, value);
}
LONG RegistryKey::GetString(const wchar_t* name, std::wstring* value) const {
  return GetStringValue<Wide>(key_, name, value);
}
LONG RegistryKey::GetDword(const char* name, DWORD* value) const {
  return GetDwordValue<Narrow>(key_, name, value);
}
LONG RegistryKey::GetDword(const wchar_t* name, DWORD* value) const {
  return GetDwordValue<Wide>(key_, name, value);
}
LONG RegistryKey::DeleteValue(const char* name) {
  return Narrow::DeleteValue(key_, name);
}
LONG RegistryKey::DeleteValue(const wchar_t* name) {
  return Wide::DeleteValue(key_, name);
}

LONG DeleteKeyTree(HKEY parent, const char* path) {
  return DeleteTree<Narrow>(parent, path, 0);
}
LONG DeleteKeyTree(HKEY parent, const wchar_t* path) {
  return DeleteTree<Wide>(parent, path, 0);
}

}  // namespace vl::win
