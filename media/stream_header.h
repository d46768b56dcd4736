// The phone's header document: how its picture is flipped.
#pragma once

#include <cstdint>
#include <string>

namespace vl {

struct HeaderFlags {
  int32_t reverse_v = 0;  // non-zero: flip upside down
  int32_t reverse_h = 0;  // non-zero: mirror left to right
};

// Reads reverse_v and reverse_h of the document's first element with atoi's rules (leading
// digits). Empty text, unparsable XML or missing attributes leave the values 0.
HeaderFlags ParseStreamHeader(const std::string& xml_text);

}  // namespace vl
