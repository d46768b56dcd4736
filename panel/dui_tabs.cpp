#include "panel/dui_tabs.h"

namespace vl {

void DUITabButton::Load(std::unique_ptr<AttributeMap> map) {
  DUICtrl::Load(std::move(map));
  RepaintWindow();
}

void DUITabButton::SetSelected(bool selected) {
  selected_ = selected;
  RepaintWindow();
}

void DUITabHolder::Load(std::unique_ptr<AttributeMap> map) {
  DUICtrl::Load(std::move(map));
  selected_ = attributes()->GetInt("selected", 0);
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

void DUITabHolder::RemoveChild(int32_t id) {
  if (HasWindow()) {
    if (DUICtrl* child = FirstChildWithId(id)) child->DestroyWindow();
  }
  DUICtrl::RemoveChild(id);
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
    const PanelRect slot = TabSlot(client, count, i);
    if (IControlView* cv = child->view()) {
      cv->Move(slot);
    } else {
      child->Create(v->ChildParent(), slot);
    }
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
    if (IControlView* cv = child->view()) cv->Show(child->GetId() == shown);
  }
}

}  // namespace vl
