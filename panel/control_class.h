// The panel's control classes, named by the "class" attribute of a control description.
#pragma once

#include <string>

namespace vl {

// Fixed when a control is created: behaviour is chosen by this, never by the "class" text,
// which a later "modify" may change.
enum class ControlClass {
  kOpArea,      // "op_area": DUIMain
  kTabHolder,   // "tab_holder"
  kTab,         // "tab"
  kPageSwitch,  // "page_switch"
  kPageList,    // "page_list"
  kPageAdjust,  // "page_adjust"
  kSlider,      // "slider"
  kCircleItem,  // "circle_item"
  kDecorItem,   // "decor_item"
  kFilterItem,  // "filter_item"
  kListView,    // the item grid inside a page; never created from a description
};

// Exact comparison against the class table; false for any other text.
bool ControlClassFromName(const std::string& name, ControlClass* out);
const char* ControlClassName(ControlClass c);

// Classes derived from DUIItem: what a list may hold and mark as selected.
inline bool IsItemClass(ControlClass c) {
  return c == ControlClass::kSlider || c == ControlClass::kCircleItem ||
         c == ControlClass::kDecorItem || c == ControlClass::kFilterItem;
}

// Windows the view of a control of this class makes: its own and those inside it that are not
// other controls' (an adjustment page's back and reset buttons, a list's container and scroll
// bar, a slider's track and two labels). The Windows views make exactly these.
int ViewWindows(ControlClass c);

inline bool IsPageClass(ControlClass c) {
  return c == ControlClass::kPageList || c == ControlClass::kPageAdjust;
}

}  // namespace vl
