#include "panel/dui_list_view.h"

namespace vl {

void DUIListView::Load(std::unique_ptr<AttributeMap> map) {
  DUICtrl::Load(std::move(map));
  const AttributeMap& a = *attributes();
  geometry_.spacex = a.GetInt("spacex", geometry_.spacex);
  geometry_.spacey = a.GetInt("spacey", geometry_.spacey);
  geometry_.item_width = a.GetInt("item_width", geometry_.item_width);
  geometry_.item_height = a.GetInt("item_height", geometry_.item_height);
  geometry_.columns = a.GetInt("col", geometry_.columns);
  selected_ = a.GetInt("selected", selected_);
  if (HasWindow()) ApplySelection();
}

void DUIListView::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  DUICtrl::AddChild(std::move(child), position);
  Layout();
}

void DUIListView::RemoveChild(int32_t id) {
  if (HasWindow()) {
    if (DUICtrl* child = FirstChildWithId(id)) child->DestroyWindow();
  }
  DUICtrl::RemoveChild(id);
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
    const PanelRect cell = ListCell(geometry_, index++);
    if (IControlView* cv = child->view()) {
      cv->Move(cell);
    } else {
      child->Create(v->ChildParent(), cell);
    }
    if (child->IsItem())
      static_cast<DUIItem*>(child.get())->SetSelected(child->GetId() == selected_);
  }
  v->SetContentHeight(ListContentHeight(geometry_, index));
}

}  // namespace vl
