// Conversions between UTF-8, UTF-16 and the ANSI code page (GBK, 936). The same expectations
// hold natively (iconv) and under Wine (the system's code page tables). And the module directory:
// the module path up to its last backslash.
#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <utility>

#include "common/module_directory.h"

namespace vl {
namespace {

// "测试(横屏)" in the three encodings.
const std::string kUtf8 = "\xE6\xB5\x8B\xE8\xAF\x95(\xE6\xA8\xAA\xE5\xB1\x8F)";
const std::u16string kUtf16 = u"\u6D4B\u8BD5(\u6A2A\u5C4F)";
const std::string kGbk = "\xB2\xE2\xCA\xD4(\xBA\xE1\xC6\xC1)";

// Chinese and astral characters round-trip; malformed input becomes replacement characters.
TEST(TextConvert, Utf8Utf16RoundTripsAnsiConvertsChineseAndCutsWholeCharactersModuleDirectory) {
  EXPECT_EQ(Utf8ToUtf16(kUtf8), kUtf16);
  EXPECT_EQ(Utf16ToUtf8(kUtf16), kUtf8);
  const std::string emoji = "a\xF0\x9F\x98\x80z";  // U+1F600 needs a surrogate pair
  EXPECT_EQ(Utf8ToUtf16(emoji), std::u16string(u"a\xD83D\xDE00z"));
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(emoji)), emoji);
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), std::u16string(u"a\uFFFDz"));          // stray continuation
  EXPECT_EQ(Utf8ToUtf16("a\xC0\xAFz"), std::u16string(u"a\uFFFDz"));      // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("a\xED\xA0\x80z"), std::u16string(u"a\uFFFDz"));  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("a\xE6\xB5"), std::u16string(u"a\uFFFD"));        // truncated at the end
  EXPECT_EQ(Utf8ToUtf16("\xE6\xB5z"), std::u16string(u"\uFFFDz"));        // truncated mid-text
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"x\xD800y")), "x\xEF\xBF\xBDy");  // lone surrogate
  // Chinese converts both ways, ASCII and nothing pass through. Korean Hangul and an emoji have
  // no GBK form; the Chinese around them survives. As on Windows, the default character stands
  // for each UTF-16 unit: two for the emoji.
  EXPECT_EQ(Utf8ToAnsi(kUtf8), kGbk);
  EXPECT_EQ(AnsiToUtf8(kGbk), kUtf8);
  EXPECT_EQ(Utf16ToAnsi(kUtf16), kGbk);
  EXPECT_EQ(AnsiToUtf16(kGbk), kUtf16);
  EXPECT_EQ(Utf8ToAnsi(""), "");
  EXPECT_EQ(AnsiToUtf8(""), "");
  EXPECT_EQ(Utf8ToAnsi("reverse_v=1 <x/>"), "reverse_v=1 <x/>");
  EXPECT_EQ(Utf8ToAnsi("\xE6\xB5\x8B\xEA\xB0\x80\xF0\x9F\x98\x80!"),  // 测 가 😀 !
            "\xB2\xE2\?\?\?!");
  // A cut never splits a double-byte character; ASCII is cut at the limit, and a lone lead byte
  // at the end counts as one (a truncated character is not made longer).
  // kGbk is 2 + 2 + 1 + 2 + 2 + 1 bytes: a cut after 3 or 8 bytes would halve a character.
  EXPECT_EQ(CutAnsiText(kGbk, 3), kGbk.substr(0, 2));
  EXPECT_EQ(CutAnsiText(kGbk, 4), kGbk.substr(0, 4));
  EXPECT_EQ(CutAnsiText(kGbk, 8), kGbk.substr(0, 7));
  EXPECT_EQ(CutAnsiText(kGbk, 100), kGbk);
  EXPECT_EQ(CutAnsiText(kGbk, 0), "");
  // Every cut is a whole number of characters: it converts back without a replacement.
  for (size_t n = 0; n <= kGbk.size(); ++n)
    EXPECT_EQ(AnsiToUtf8(CutAnsiText(kGbk, n)).find("\xEF\xBF\xBD"), std::string::npos) << n;
  EXPECT_EQ(CutAnsiText("abcdef", 4), "abcd");
  EXPECT_EQ(CutAnsiText("ab\xB2", 3), "ab\xB2");
  // Forward slashes are not separators for this purpose; only the last backslash counts. Chinese
  // directory names in the ANSI code page stay byte for byte ("视频" in GBK); a path without a
  // directory gives an empty one.
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files\\Velloria\\Lumaroo.exe", "C:\\Program Files\\Velloria\\"},
      {"D:\\Lumaroo.exe", "D:\\"},
      {"C:\\a/b\\c.d\\x.exe", "C:\\a/b\\c.d\\"},
      {"C:\\\xCA\xD3\xC6\xB5\\Lumaroo.exe", "C:\\\xCA\xD3\xC6\xB5\\"},
      {"Lumaroo.exe", ""},
      {"", ""}};
  for (const auto& [path, directory] : cases) EXPECT_EQ(DirectoryOfModulePath(path), directory);
}

}  // namespace
}  // namespace vl
