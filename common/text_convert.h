// Text conversion at the program's boundaries: UTF-8 on the wire to the phone and in XML,
// UTF-16 for wide Windows APIs, and the ANSI code page (GBK, 936, on the target systems)
// inside the main program.
#pragma once

#include <string>
#include <string_view>

namespace vl {

// Malformed UTF-8 (stray continuation bytes, overlong forms, surrogates, truncated sequences)
// becomes U+FFFD; the rest of the text is kept.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// ANSI code page conversions. On Windows this is the system's code page (CP_ACP); elsewhere it
// is GBK, the code page of the target systems, so the same rules can be tested natively.
// Characters the code page lacks become its default character '?' (one per UTF-16 unit).
std::string Utf16ToAnsi(std::u16string_view utf16);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Whether `byte` starts a double-byte character of the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);
// The longest prefix of `ansi` of at most `max_bytes` bytes that ends on a character boundary:
// a double-byte character is never split (fixed-size fields, INI value limits).
std::string CutAnsiText(std::string_view ansi, size_t max_bytes);

}  // namespace vl
