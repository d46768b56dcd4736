// ANSI code page conversions through the system's own tables (CP_ACP).
#include "common/text_convert.h"

#include <windows.h>

namespace vl {

std::string Utf16ToAnsi(std::u16string_view in) {
  if (in.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(in.data());
  const int n = static_cast<int>(in.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, n, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, n, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::u16string AnsiToUtf16(std::string_view in) {
  if (in.empty()) return {};
  const int n = static_cast<int>(in.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, in.data(), n, nullptr, 0);
  if (chars <= 0) return {};
  std::u16string out(static_cast<size_t>(chars), u'\0');
  MultiByteToWideChar(CP_ACP, 0, in.data(), n, reinterpret_cast<wchar_t*>(out.data()), chars);
  return out;
}

bool IsAnsiLeadByte(unsigned char byte) {
  return IsDBCSLeadByteEx(CP_ACP, byte) != 0;
}

}  // namespace vl
