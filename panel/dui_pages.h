// The two kinds of page: a page list (a title over a grid of picture items) and an adjustment
// page (back and reset buttons, a title and a column of sliders). Both hold their items in an
// embedded item list, which is a member and not one of their children.
#pragma once

#include "panel/dui_ctrl.h"
#include "panel/dui_list_view.h"

namespace vl {

class DUIPageList : public DUICtrl {
 public:
  explicit DUIPageList(IPanelPlatform* platform)
      : DUICtrl(ControlClass::kPageList, platform), list_(platform) {}

  // Base load, a copy of the map into the list (id, gaps, cell size, columns, selected), then
  // "list_padding_left" and "list_padding_top".
  void Load(std::unique_ptr<AttributeMap> map) override;
  // Items go to the list; any other control is dropped.
  void AddChild(std::unique_ptr<DUICtrl> child, int32_t position) override;
  void AddChildren(std::vector<NewChild> children) override;
  void RemoveChild(int32_t id) override { list_.RemoveChild(id); }
  void RemoveChildren(const std::vector<int32_t>& ids) override { list_.RemoveChildren(ids); }
  bool ModifyChild(int32_t id, std::unique_ptr<AttributeMap> map) override {
    return list_.ModifyChild(id, std::move(map));
  }
  void ModifyChildren(std::vector<ChildChange> changes) override {
    list_.ModifyChildren(std::move(changes));
  }
  std::vector<DUICtrl*> GetChildren() const override { return list_.GetChildren(); }
  // The list's window from (left offset, top offset) to the client's bottom right.
  void OnWindowCreated() override;

  DUIListView& list() { return list_; }
  int32_t list_left() const { return list_left_; }
  int32_t list_top() const { return list_top_; }

 private:
  DUIListView list_;
  int32_t list_left_ = 38;
  int32_t list_top_ = 86;
};

class DUIPageAdjust : public DUICtrl {
 public:
  static constexpr int kBackCommand = 3;
  static constexpr int kResetCommand = 4;

  explicit DUIPageAdjust(IPanelPlatform* platform)
      : DUICtrl(ControlClass::kPageAdjust, platform), list_(platform) {}

  // Base load, a copy of the map into the list, then "style".
  void Load(std::unique_ptr<AttributeMap> map) override;
  void AddChild(std::unique_ptr<DUICtrl> child, int32_t position) override;
  void AddChildren(std::vector<NewChild> children) override;
  void RemoveChild(int32_t id) override { list_.RemoveChild(id); }
  void RemoveChildren(const std::vector<int32_t>& ids) override { list_.RemoveChildren(ids); }
  bool ModifyChild(int32_t id, std::unique_ptr<AttributeMap> map) override {
    return list_.ModifyChild(id, std::move(map));
  }
  void ModifyChildren(std::vector<ChildChange> changes) override {
    list_.ModifyChildren(std::move(changes));
  }
  // GetChildren stays the base's (always empty): commands never find the page's sliders as
  // parents.
  std::vector<DUICtrl*> OwnedControls() const override { return list_.GetChildren(); }
  // The list takes the slider column's layout (one column of 320 x 22 cells, 25 apart) and its
  // window from (20, 126), or (20, 128) with style 1, to the client's bottom right.
  void OnWindowCreated() override;
  // A command from the back (3) or reset (4) button: tell the phone.
  void OnCommand(int id) const;

  DUIListView& list() { return list_; }
  int32_t style() const { return style_; }

 private:
  DUIListView list_;
  int32_t style_ = 0;
};

}  // namespace vl
