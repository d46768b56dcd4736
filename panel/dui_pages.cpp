#include "panel/dui_pages.h"

#include <algorithm>

#include "panel/panel_limits.h"

namespace vl {
namespace {

int32_t ClampPadding(int32_t v) {
  return std::min(std::max(v, 0), kMaxListPadding);
}

// Items go on to the list at their positions; anything else is dropped (its position stays
// counted, as when each was added alone).
std::vector<NewChild> ItemsOnly(std::vector<NewChild> children) {
  std::vector<NewChild> items;
  items.reserve(children.size());
  for (NewChild& c : children) {
    if (c.control && c.control->IsItem()) items.push_back(std::move(c));
  }
  return items;
}

}  // namespace

void DUIPageList::AddChildren(std::vector<NewChild> children) {
  list_.AddChildren(ItemsOnly(std::move(children)));
}

void DUIPageAdjust::AddChildren(std::vector<NewChild> children) {
  list_.AddChildren(ItemsOnly(std::move(children)));
}

void DUIPageList::Load(std::unique_ptr<AttributeMap> map) {
  if (!map) map = std::make_unique<AttributeMap>();
  std::unique_ptr<AttributeMap> copy = map->Clone();
  DUICtrl::Load(std::move(map));
  list_.Load(std::move(copy));
  list_left_ = ClampPadding(attributes()->GetInt("list_padding_left", list_left_));
  list_top_ = ClampPadding(attributes()->GetInt("list_padding_top", list_top_));
}

void DUIPageList::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  if (child && child->IsItem()) list_.AddChild(std::move(child), position);
}

void DUIPageList::OnWindowCreated() {
  const PanelRect client = view()->ClientRect();
  list_.Create(view()->ChildParent(),
               PanelRect{list_left_, list_top_, client.right, client.bottom});
}

void DUIPageAdjust::Load(std::unique_ptr<AttributeMap> map) {
  if (!map) map = std::make_unique<AttributeMap>();
  std::unique_ptr<AttributeMap> copy = map->Clone();
  DUICtrl::Load(std::move(map));
  list_.Load(std::move(copy));
  style_ = attributes()->GetInt("style", style_);
}

void DUIPageAdjust::AddChild(std::unique_ptr<DUICtrl> child, int32_t position) {
  if (child && child->IsItem()) list_.AddChild(std::move(child), position);
}

void DUIPageAdjust::OnWindowCreated() {
  auto layout = std::make_unique<AttributeMap>();
  layout->Add("spacex", "0");
  layout->Add("spacey", "25");
  layout->Add("item_width", "320");
  layout->Add("item_height", "22");
  layout->Add("col", "1");
  list_.Load(std::move(layout));
  const PanelRect client = view()->ClientRect();
  const int32_t top = style_ == 1 ? 128 : 126;
  list_.Create(view()->ChildParent(), PanelRect{20, top, client.right, client.bottom});
}

void DUIPageAdjust::OnCommand(int id) const {
  if (id == kBackCommand) {
    SendEvent("custom", {{"event", "back"}});
  } else if (id == kResetCommand) {
    SendEvent("custom", {{"event", "reset"}});
  }
}

}  // namespace vl
