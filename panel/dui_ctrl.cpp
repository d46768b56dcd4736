#include "panel/dui_ctrl.h"

#include "panel/panel_manager.h"

namespace vl {

DUICtrl::DUICtrl(ControlClass kind, IPanelPlatform* platform) : kind_(kind), platform_(platform) {}

DUICtrl::~DUICtrl() {
  view_.reset();
  attributes_.reset();
  children_.clear();
}

bool DUICtrl::Create(ViewParent parent, const PanelRect& rect) {
  if (HasWindow() || !platform_) return false;
  view_ = platform_->MakeView(*this);
  if (!view_) return false;
  if (!view_->Open(parent, rect)) {
    view_.reset();
    return false;
  }
  return true;
}

void DUICtrl::Load(std::unique_ptr<AttributeMap> map) {
  if (!map) map = std::make_unique<AttributeMap>();
  attributes_ = std::move(map);
  id_ = attributes_->GetInt("id", 0);
  name_ = attributes_->GetString("name");
  class_name_ = attributes_->GetString("class");
}

void DUICtrl::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  if (!child) return;
  child->parent_id_ = id_;
  if (position >= 0 && static_cast<size_t>(position) < children_.size()) {
    children_.insert(children_.begin() + position, std::move(child));
  } else {
    children_.push_back(std::move(child));
  }
}

void DUICtrl::RemoveChild(int32_t id) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if ((*it)->GetId() == id) {
      std::unique_ptr<DUICtrl> removed = std::move(*it);
      children_.erase(it);
      removed->parent_id_ = 0;
      return;  // `removed` goes with its window and subtree
    }
  }
}

bool DUICtrl::ModifyChild(int32_t id, std::unique_ptr<AttributeMap> map) {
  DUICtrl* child = FirstChildWithId(id);
  if (!child) return false;
  child->Load(std::move(map));
  return true;
}

std::vector<DUICtrl*> DUICtrl::GetChildren() const {
  std::vector<DUICtrl*> list;
  list.reserve(children_.size());
  for (const auto& c : children_) list.push_back(c.get());
  return list;
}

DUICtrl* DUICtrl::FirstChildWithId(int32_t id) const {
  for (const auto& c : children_) {
    if (c->GetId() == id) return c.get();
  }
  return nullptr;
}

void DUICtrl::RepaintWindow() {
  if (IControlView* v = view()) v->Repaint();
}

void DUICtrl::SendEvent(const char* name, const EventPairs& extra) const {
  if (PanelManager* manager = PanelManager::Current()) manager->SendEvent(*this, name, extra);
}

void DUIItem::SetSelected(bool selected) {
  // A list marks every item at each selection; only the two that change need painting (in a
  // grid of a hundred items the rest would cost a hundred repaints per tap).
  if (selected == selected_) return;
  selected_ = selected;
  RepaintWindow();
}

void DUIMain::OnWindowCreated() {
  const PanelRect client = view()->ClientRect();
  for (const auto& child : children()) {
    if (child->kind() == ControlClass::kTabHolder) {
      child->Create(view()->ChildParent(), PanelRect{0, 0, client.right, kTabRowHeight});
    } else if (child->kind() == ControlClass::kPageSwitch) {
      child->Create(view()->ChildParent(),
                    PanelRect{0, kTabRowHeight, client.right, client.bottom});
    }
  }
}

}  // namespace vl
