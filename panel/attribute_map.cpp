#include "panel/attribute_map.h"

#include <cctype>
#include <climits>

namespace vl {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int32_t ReadHex(const std::string& text) {
  uint32_t value = 0;
  for (size_t i = 2; i < text.size(); ++i) {
    const int d = HexDigit(text[i]);
    if (d < 0) break;
    if (value > (UINT32_MAX >> 4)) return static_cast<int32_t>(UINT32_MAX);
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(value);
}

int32_t ReadDecimal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) break;  // saturated below
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t ReadInteger(const std::string& text) {
  return text.find("0x") != std::string::npos ? ReadHex(text) : ReadDecimal(text);
}

const AttributeMap::Pair* AttributeMap::Find(const std::string& name) const {
  for (const Pair& p : pairs_) {
    if (p.first == name) return &p;
  }
  return nullptr;
}

const std::string& AttributeMap::GetString(const std::string& name) const {
  static const std::string kEmpty;
  const Pair* p = Find(name);
  return p ? p->second : kEmpty;
}

bool AttributeMap::Has(const std::string& name) const {
  return Find(name) != nullptr;
}

int32_t AttributeMap::GetInt(const std::string& name, int32_t fallback) const {
  const Pair* p = Find(name);
  return p ? ReadInteger(p->second) : fallback;
}

}  // namespace vl
