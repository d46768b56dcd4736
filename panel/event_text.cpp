#include "panel/event_text.h"

namespace vl {

std::string BuildEventText(const std::string& name, int32_t id, int32_t parent_id,
                           const EventPairs& extra) {
  std::string text = "<command name=\"notify\"><event name=\"";
  text += name;
  text += "\" id=\"";
  text += std::to_string(id);
  text += "\" parent_id=\"";
  text += std::to_string(parent_id);
  text += '"';
  for (const auto& [key, value] : extra) {
    text += ' ';
    text += key;
    text += "=\"";
    text += value;
    text += '"';
  }
  text += "></event></command>";
  return text;
}

}  // namespace vl
