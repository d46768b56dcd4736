#include "panel/dui_list_view.h"

namespace vl {

void DUIListView::Load(std::unique_ptr<AttributeMap> map) {
  if (!map) map = std::make_unique<AttributeMap>();
  const int32_t selected = map->GetInt("selected", selected_);
  ListGeometry g = geometry_;
  g.spacex = map->GetInt("spacex", g.spacex);
  g.spacey = map->GetInt("spacey", g.spacey);
  g.item_width = map->GetInt("item_width", g.item_width);
  g.item_height = map->GetInt("item_height", g.item_height);
  g.columns = map->GetInt("col", g.columns);
  DUICtrl::Load(std::move(map));
  geometry_ = g;
  selected_ = selected;
  if (HasWindow()) ApplySelection();
}

void DUIListView::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  DUICtrl::AddChild(std::move(child), position);
  Layout();
}

void DUIListView::AddChildren(std::vector<NewChild> children) {
  ReserveChildren(children.size());
  for (NewChild& c : children) DUICtrl::AddChild(std::move(c.control), c.position);
  Layout();
}

void DUIListView::RemoveChild(int32_t id) {
  RemoveChildren({id});
}

void DUIListView::RemoveChildren(const std::vector<int32_t>& ids) {
  // The windows go with the controls taken out; then the rest close up in one layout.
  TakeChildren(ids);
  Layout();
}

void DUIListView::OnWindowCreated() {
  Layout();
}

int32_t DUIListView::RowStep() const {
  const ListGeometry g = geometry_.Clamped();
  return g.item_height + g.spacey;
}

void DUIListView::ApplySelection() {
  for (const auto& child : children()) {
    if (child->IsItem())
      static_cast<DUIItem*>(child.get())->SetSelected(child->GetId() == selected_);
  }
}

void DUIListView::Layout() {
  IControlView* v = view();
  if (!v) return;
  v->ResetScroll();
  int32_t index = 0;
  for (const auto& child : children()) {
    PlaceChild(*child, v->ChildParent(), ListCell(geometry_, index++));
    if (child->IsItem())
      static_cast<DUIItem*>(child.get())->SetSelected(child->GetId() == selected_);
  }
  v->SetContentHeight(ListContentHeight(geometry_, index));
}

}  // namespace vl
