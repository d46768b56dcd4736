#include "media/stream_header.h"

#include <cstdint>
#include <cstdlib>

#include <tinyxml2.h>

namespace vl {
namespace {

// atoi's reading (blanks, sign, leading digits) without its undefined overflow: clamped.
int32_t LeadingInteger(const char* text) {
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

HeaderFlags ParseStreamHeader(const std::string& xml_text) {
  HeaderFlags flags;
  if (xml_text.empty()) return flags;
  tinyxml2::XMLDocument doc;
  if (doc.Parse(xml_text.data(), xml_text.size()) != tinyxml2::XML_SUCCESS) return flags;
  const tinyxml2::XMLElement* root = doc.FirstChildElement();
  if (!root) return flags;
  if (const char* v = root->Attribute("reverse_v")) flags.reverse_v = LeadingInteger(v);
  if (const char* h = root->Attribute("reverse_h")) flags.reverse_h = LeadingInteger(h);
  return flags;
}

}  // namespace vl
