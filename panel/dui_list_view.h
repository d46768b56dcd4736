// The grid of items inside a page: equal cells, the selected item marked, scrolled vertically.
// Its window (a scrolling container and a thin scroll bar) is the platform's.
#pragma once

#include "panel/dui_ctrl.h"
#include "panel/panel_geometry.h"

namespace vl {

class DUIListView : public DUICtrl {
 public:
  explicit DUIListView(IPanelPlatform* platform) : DUICtrl(ControlClass::kListView, platform) {}

  // Base load, then "spacex", "spacey", "item_width", "item_height", "col" and "selected"
  // (current values as defaults); with a window, every item is told whether it is selected.
  // The grid is not laid out again until the next AddChild or RemoveChild.
  void Load(std::unique_ptr<AttributeMap> map) override;
  void AddChild(std::unique_ptr<DUICtrl> child, int32_t position) override;
  void RemoveChild(int32_t id) override;
  // All of them, then one layout.
  void AddChildren(std::vector<NewChild> children) override;
  void RemoveChildren(const std::vector<int32_t>& ids) override;
  void OnWindowCreated() override;

  // Places every child's window in its cell (creating it when missing), marks the selected
  // item, and gives the view the content's height. Nothing without a window.
  void Layout();

  // The values as the phone gave them (the grid uses geometry().Clamped()).
  const ListGeometry& geometry() const { return geometry_; }
  int32_t selected() const { return selected_; }
  // One step of the mouse wheel: a cell and its gap.
  int32_t RowStep() const;

 private:
  void ApplySelection();

  ListGeometry geometry_;
  int32_t selected_ = 0;
};

}  // namespace vl
