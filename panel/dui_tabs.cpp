#include "panel/dui_tabs.h"

namespace vl {

void DUITabButton::Load(std::unique_ptr<AttributeMap> map) {
  DUICtrl::Load(std::move(map));
  RepaintWindow();
}

void DUITabButton::SetSelected(bool selected) {
  // Every layout and every load of the holder marks every tab: only a change needs painting.
  if (selected == selected_) return;
  selected_ = selected;
  RepaintWindow();
}

void DUITabHolder::Load(std::unique_ptr<AttributeMap> map) {
  const int32_t selected = map ? map->GetInt("selected", 0) : 0;
  DUICtrl::Load(std::move(map));
  selected_ = selected;
  for (const auto& child : children()) {
    if (child->kind() == ControlClass::kTab) {
      static_cast<DUITabButton*>(child.get())->SetSelected(child->GetId() == selected_);
    }
  }
  RepaintWindow();
}

void DUITabHolder::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  DUICtrl::AddChild(std::move(child), position);
  Layout();
}

void DUITabHolder::AddChildren(std::vector<NewChild> children) {
  ReserveChildren(children.size());
  for (NewChild& c : children) DUICtrl::AddChild(std::move(c.control), c.position);
  Layout();
}

void DUITabHolder::RemoveChild(int32_t id) {
  RemoveChildren({id});
}

void DUITabHolder::RemoveChildren(const std::vector<int32_t>& ids) {
  TakeChildren(ids);  // their windows go with them
  Layout();
}

void DUITabHolder::Layout() {
  IControlView* v = view();
  if (!v || children().empty()) return;
  const PanelRect client = v->ClientRect();
  const int32_t count = static_cast<int32_t>(children().size());
  for (int32_t i = 0; i < count; ++i) {
    DUICtrl* child = children()[static_cast<size_t>(i)].get();
    if (child->kind() != ControlClass::kTab) continue;
    PlaceChild(*child, v->ChildParent(), TabSlot(client, count, i));
    static_cast<DUITabButton*>(child)->SetSelected(child->GetId() == selected_);
  }
}

int32_t DUIPageHolder::selected() const {
  return attributes() ? attributes()->GetInt("selected", 0) : 0;
}

void DUIPageHolder::Load(std::unique_ptr<AttributeMap> map) {
  DUICtrl::Load(std::move(map));
  if (HasWindow()) ApplySelection();
}

void DUIPageHolder::OnWindowCreated() {
  const PanelRect client = view()->ClientRect();
  for (const auto& child : children()) {
    if (IsPageClass(child->kind())) child->Create(view()->ChildParent(), client);
  }
  ApplySelection();
}

void DUIPageHolder::ApplySelection() {
  const int32_t shown = selected();
  for (const auto& child : children()) {
    if (!IsPageClass(child->kind())) continue;
    IControlView* cv = child->view();
    if (!cv) continue;
    // Every load of the switch selects again: only the pages that change are shown or hidden
    // (a switch of hundreds of pages would otherwise cost as many window calls per command).
    const bool show = child->GetId() == shown;
    if (show != cv->IsShown()) cv->Show(show);
  }
}

}  // namespace vl
