// ANSI code page conversions for the native build: GBK (code page 936), the code page of the
// target systems, through iconv. Unconvertible characters become '?' per UTF-16 unit, as Windows
// does.
#include "common/text_convert.h"

#include <iconv.h>

#include <cerrno>

namespace vl {
namespace {

// Converts one unit at a time so that a character the target lacks costs only itself.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; returns false when it holds no convertible character sequence.
  bool Convert(const char* in, size_t len, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in);
    size_t left = len;
    char* dst = buf;
    size_t room = sizeof buf;
    if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return false;
    out.append(buf, sizeof buf - room);
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Utf16ToAnsi(std::u16string_view in) {
  std::string out;
  Iconv cv("GBK", "UTF-16LE");
  for (size_t i = 0; i < in.size(); ++i) {
    size_t units = 1;
    if (in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF)
      units = 2;
    char bytes[4];
    for (size_t k = 0; k < units; ++k) {
      bytes[2 * k] = static_cast<char>(in[i + k] & 0xFF);
      bytes[2 * k + 1] = static_cast<char>(in[i + k] >> 8);
    }
    if (in[i] < 0x80) {
      out.push_back(static_cast<char>(in[i]));
    } else if (!cv.ok() || !cv.Convert(bytes, 2 * units, out)) {
      out.append(units, '?');  // like Windows: one default character per UTF-16 unit
    }
    i += units - 1;
  }
  return out;
}

std::u16string AnsiToUtf16(std::string_view in) {
  std::u16string out;
  Iconv cv("UTF-16LE", "GBK");
  std::string wide;
  for (size_t i = 0; i < in.size();) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    wide.clear();
    if (i + 1 < in.size() && cv.ok() && cv.Convert(in.data() + i, 2, wide) && wide.size() == 2) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(wide[0]) |
                                          (static_cast<unsigned char>(wide[1]) << 8)));
      i += 2;
    } else {
      out.push_back(u'?');
      ++i;
    }
  }
  return out;
}

// GBK: bytes 0x81 to 0xFE lead a two-byte character.
bool IsAnsiLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace vl
