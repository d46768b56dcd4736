// The tab row ("tab_holder" with "tab" buttons) and the page switch ("page_switch"), which
// shows one page at a time. The phone connects them: a tab click goes to the phone, which
// answers with "modify" commands setting "selected" on both.
#pragma once

#include "panel/dui_ctrl.h"

namespace vl {

class DUITabButton : public DUICtrl {
 public:
  explicit DUITabButton(IPanelPlatform* platform) : DUICtrl(ControlClass::kTab, platform) {}
  void Load(std::unique_ptr<AttributeMap> map) override;
  bool selected() const { return selected_; }
  void SetSelected(bool selected);
  void OnClick() const { SendEvent("click"); }

 private:
  bool selected_ = false;
};

class DUITabHolder : public DUICtrl {
 public:
  explicit DUITabHolder(IPanelPlatform* platform) : DUICtrl(ControlClass::kTabHolder, platform) {}
  // "selected" (0 when absent) marks the tab with that id; the holder repaints.
  void Load(std::unique_ptr<AttributeMap> map) override;
  void AddChild(std::unique_ptr<DUICtrl> child, int32_t position) override;
  void RemoveChild(int32_t id) override;
  // All of them, then one layout.
  void AddChildren(std::vector<NewChild> children) override;
  void RemoveChildren(const std::vector<int32_t>& ids) override;
  void OnWindowCreated() override { Layout(); }
  int32_t selected() const { return selected_; }

  // Equal slots across the width, one per child of any class; tabs get a window in theirs.
  void Layout();

 private:
  int32_t selected_ = 0;
};

class DUIPageHolder : public DUICtrl {
 public:
  explicit DUIPageHolder(IPanelPlatform* platform) : DUICtrl(ControlClass::kPageSwitch, platform) {}
  // With a window, shows the page whose id is "selected" and hides the others.
  void Load(std::unique_ptr<AttributeMap> map) override;
  // Every page gets a window over the whole client area; only the selected one shows.
  void OnWindowCreated() override;
  // "selected" of the current attribute map, 0 without one.
  int32_t selected() const;

 private:
  void ApplySelection();
};

}  // namespace vl
