#include "online/url_parts.h"

#include <cctype>
#include <cstring>

namespace vl {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool IsHostCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u == 0x7F) return false;
  return std::strchr("@\\?#\"'<>|^`{}", c) == nullptr;
}

}  // namespace

bool SplitUrl(std::string_view url, UrlParts* out) {
  UrlParts parts;
  size_t host_start = 0;
  const size_t scheme_end = url.find("://");
  if (scheme_end != std::string_view::npos) {
    const std::string_view scheme = url.substr(0, scheme_end);
    if (scheme.size() == 5 && StartsWithNoCase(scheme, "https")) {
      parts.secure = true;
      parts.port = 443;
    } else if (!(scheme.size() == 4 && StartsWithNoCase(scheme, "http"))) {
      return false;
    }
    host_start = scheme_end + 3;
  }
  const size_t slash = url.find('/', host_start);
  if (slash == std::string_view::npos) return false;
  std::string_view authority = url.substr(host_start, slash - host_start);
  const size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos) {
    const std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    uint32_t port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
    parts.port = static_cast<uint16_t>(port);
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return false;
  for (char c : authority) {
    if (!IsHostCharacter(c) || c == ':') return false;
  }
  parts.host.assign(authority);
  std::string_view path = url.substr(slash);
  const size_t fragment = path.find('#');
  if (fragment != std::string_view::npos) path = path.substr(0, fragment);
  for (char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;  // would split the request line
  }
  parts.path.assign(path);
  *out = std::move(parts);
  return true;
}

bool IsWebAddress(std::string_view url) {
  if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) return false;
  for (char c : url) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F || c == '"' || c == '\'') return false;
  }
  UrlParts parts;
  return SplitUrl(url, &parts);
}

std::string EncodeQueryWords(std::string_view words) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : words) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || std::isalnum(u) || std::strchr("-._~", c) != nullptr) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

}  // namespace vl
