#include "panel/control_factory.h"

#include "panel/dui_items.h"
#include "panel/dui_list_view.h"
#include "panel/dui_pages.h"
#include "panel/dui_tabs.h"

namespace vl {

std::unique_ptr<DUICtrl> CreateControl(ControlClass kind, IPanelPlatform* platform) {
  switch (kind) {
    case ControlClass::kOpArea:
      return std::make_unique<DUIMain>(platform);
    case ControlClass::kTabHolder:
      return std::make_unique<DUITabHolder>(platform);
    case ControlClass::kTab:
      return std::make_unique<DUITabButton>(platform);
    case ControlClass::kPageSwitch:
      return std::make_unique<DUIPageHolder>(platform);
    case ControlClass::kPageList:
      return std::make_unique<DUIPageList>(platform);
    case ControlClass::kPageAdjust:
      return std::make_unique<DUIPageAdjust>(platform);
    case ControlClass::kSlider:
      return std::make_unique<DUISlider>(platform);
    case ControlClass::kCircleItem:
      return std::make_unique<DUICircleItem>(platform);
    case ControlClass::kDecorItem:
      return std::make_unique<DUIDecorItem>(platform);
    case ControlClass::kFilterItem:
      return std::make_unique<DUIFilterItem>(platform);
    case ControlClass::kListView:
      return std::make_unique<DUIListView>(platform);
  }
  return nullptr;
}

std::unique_ptr<DUICtrl> CreateControl(const std::string& class_name, IPanelPlatform* platform) {
  ControlClass kind;
  if (!ControlClassFromName(class_name, &kind)) return nullptr;
  return CreateControl(kind, platform);
}

}  // namespace vl
