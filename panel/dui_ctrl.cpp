#include "panel/dui_ctrl.h"

#include <new>
#include <set>
#include <unordered_map>

#include "panel/panel_manager.h"

namespace vl {

DUICtrl::DUICtrl(ControlClass kind, IPanelPlatform* platform) : kind_(kind), platform_(platform) {}

DUICtrl::~DUICtrl() {
  DestroyWindow();
  attributes_.reset();
  children_.clear();
}

bool DUICtrl::Create(ViewParent parent, const PanelRect& rect) {
  if (HasWindow() || !platform_) return false;
  DestroyWindow();  // a view whose window went with its parent's: its windows count no more
  const int windows = ViewWindows(kind_);
  if (!platform_->windows().TryReserve(windows)) return false;
  reserved_windows_ = windows;
  // Out of memory, the control stays without a window (as when the system refuses one).
  bool opened = false;
  try {
    view_ = platform_->MakeView(*this);
    opened = view_ && view_->Open(parent, rect);
  } catch (const std::bad_alloc&) {
    opened = false;
  }
  if (opened) {
    cell_ = rect;
    return true;
  }
  DestroyWindow();
  return false;
}

void DUICtrl::DestroyWindow() {
  view_.reset();
  if (reserved_windows_ > 0 && platform_) platform_->windows().Release(reserved_windows_);
  reserved_windows_ = 0;
}

void DUICtrl::Load(std::unique_ptr<AttributeMap> map) {
  if (!map) map = std::make_unique<AttributeMap>();
  // Everything that allocates before anything changes: a load that runs out of memory leaves
  // the control as it was.
  std::string name = map->GetString("name");
  std::string class_name = map->GetString("class");
  id_ = map->GetInt("id", 0);
  attributes_ = std::move(map);
  name_.swap(name);
  class_name_.swap(class_name);
}

void DUICtrl::InsertChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  if (!child) return;
  child->parent_id_ = id_;
  if (position >= 0 && static_cast<size_t>(position) < children_.size()) {
    children_.insert(children_.begin() + position, std::move(child));
  } else {
    children_.push_back(std::move(child));
  }
}

void DUICtrl::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  InsertChild(std::move(child), position);
}

void DUICtrl::AddChildren(std::vector<NewChild> children) {
  ReserveChildren(children.size());
  for (NewChild& c : children) AddChild(std::move(c.control), c.position);
}

void DUICtrl::ReserveChildren(size_t more) {
  children_.reserve(children_.size() + more);
}

std::vector<std::unique_ptr<DUICtrl>> DUICtrl::TakeChildren(const std::vector<int32_t>& ids) {
  std::vector<std::unique_ptr<DUICtrl>> taken;
  if (ids.empty() || children_.empty()) return taken;
  // Each id takes the first child with it that is still there: index the positions of every
  // id once instead of searching the children again for each.
  std::unordered_map<int32_t, std::vector<size_t>> positions;
  for (size_t i = 0; i < children_.size(); ++i) positions[children_[i]->GetId()].push_back(i);
  std::unordered_map<int32_t, size_t> used;
  std::vector<bool> gone(children_.size(), false);
  size_t count = 0;
  for (int32_t id : ids) {
    const auto it = positions.find(id);
    if (it == positions.end()) continue;
    size_t& next = used[id];
    if (next < it->second.size()) {
      gone[it->second[next++]] = true;
      ++count;
    }
  }
  if (count == 0) return taken;
  taken.reserve(count);
  std::vector<std::unique_ptr<DUICtrl>> kept;
  kept.reserve(children_.size() - count);
  for (size_t i = 0; i < children_.size(); ++i) {
    (gone[i] ? taken : kept).push_back(std::move(children_[i]));
  }
  children_.swap(kept);
  for (auto& c : taken) c->parent_id_ = 0;
  return taken;
}

void DUICtrl::RemoveChild(int32_t id) {
  RemoveChildren({id});
}

void DUICtrl::RemoveChildren(const std::vector<int32_t>& ids) {
  TakeChildren(ids);  // the taken children go with their windows and subtrees
}

bool DUICtrl::ModifyChild(int32_t id, std::unique_ptr<AttributeMap> map) {
  DUICtrl* child = FirstChildWithId(id);
  if (!child) return false;
  child->Load(std::move(map));
  return true;
}

void DUICtrl::ModifyChildren(std::vector<ChildChange> changes) {
  ModifyOwnChildren(changes);
}

void DUICtrl::ModifyOwnChildren(std::vector<ChildChange>& changes) {
  if (changes.size() == 1) {
    ModifyChild(changes.front().id, std::move(changes.front().map));
    return;
  }
  // Positions of each id, in order; a load that changes a child's id moves its position.
  std::unordered_map<int32_t, std::set<size_t>> positions;
  for (size_t i = 0; i < children_.size(); ++i) positions[children_[i]->GetId()].insert(i);
  for (ChildChange& change : changes) {
    const auto it = positions.find(change.id);
    if (it == positions.end() || it->second.empty()) continue;
    const size_t at = *it->second.begin();
    DUICtrl* child = children_[at].get();
    child->Load(std::move(change.map));
    if (child->GetId() != change.id) {
      positions[change.id].erase(at);
      positions[child->GetId()].insert(at);
    }
  }
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

void DUICtrl::PlaceChild(DUICtrl& child, ViewParent parent, const PanelRect& cell) {
  if (IControlView* v = child.view()) {
    // A layout that leaves a window where it was costs nothing: adding or removing one item of
    // a long grid moves only the items after it.
    if (cell != child.cell_) {
      v->Move(cell);
      child.cell_ = cell;
    }
  } else {
    child.Create(parent, cell);
  }
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
