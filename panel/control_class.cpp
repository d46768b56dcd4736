#include "panel/control_class.h"

#include <iterator>

namespace vl {
namespace {

struct Entry {
  const char* name;
  ControlClass value;
};

constexpr Entry kClasses[] = {
    {"op_area", ControlClass::kOpArea},
    {"tab_holder", ControlClass::kTabHolder},
    {"tab", ControlClass::kTab},
    {"page_switch", ControlClass::kPageSwitch},
    {"page_list", ControlClass::kPageList},
    {"page_adjust", ControlClass::kPageAdjust},
    {"slider", ControlClass::kSlider},
    {"circle_item", ControlClass::kCircleItem},
    {"decor_item", ControlClass::kDecorItem},
    {"filter_item", ControlClass::kFilterItem},
};

}  // namespace

bool ControlClassFromName(const std::string& name, ControlClass* out) {
  for (const Entry& e : kClasses) {
    if (name == e.name) {
      *out = e.value;
      return true;
    }
  }
  return false;
}

const char* ControlClassName(ControlClass c) {
  for (const Entry& e : kClasses) {
    if (e.value == c) return e.name;
  }
  return "list_view";
}

int ViewWindows(ControlClass c) {
  switch (c) {
    case ControlClass::kPageAdjust:
    case ControlClass::kListView:
      return 3;
    case ControlClass::kSlider:
      return 4;
    default:
      return 1;
  }
}

}  // namespace vl
