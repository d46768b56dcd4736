#include "panel/dui_items.h"

#include <string>
#include <vector>

#include "common/text_convert.h"
#include "panel/panel_manager.h"

namespace vl {

void DUISlider::Load(std::unique_ptr<AttributeMap> map) {
  DUIItem::Load(std::move(map));
  const AttributeMap& a = *attributes();
  SetMinimum(a.GetInt("min", minimum_));
  SetMaximum(a.GetInt("max", maximum_));
  SetValue(a.GetInt("pos", value_));
  if (IControlView* v = view()) v->Refresh();
}

void DUISlider::SetMinimum(int32_t v) {
  minimum_ = v;
  if (maximum_ < minimum_) maximum_ = minimum_;
  if (value_ < minimum_) value_ = minimum_;
}

void DUISlider::SetMaximum(int32_t v) {
  maximum_ = v;
  if (minimum_ > maximum_) minimum_ = maximum_;
  if (value_ > maximum_) value_ = maximum_;
}

void DUISlider::SetValue(int32_t v) {
  value_ = v < minimum_ ? minimum_ : v > maximum_ ? maximum_ : v;
}

void DUISlider::OnSliderPos(int32_t value) {
  Report("slider_pos", value);
}

void DUISlider::OnSliderEnd(int32_t value) {
  Report("slider_end", value);
}

void DUISlider::Report(const char* event, int32_t value) {
  SetValue(value);
  SendEvent(event, {{"pos", std::to_string(value)}});
  if (IControlView* v = view()) v->Refresh();
}

void DUIPictureItem::LoadPicture() {
  PanelManager* manager = PanelManager::Current();
  if (!manager || !platform()) return;
  if (std::shared_ptr<const PanelPicture> p = manager->PictureFor(attributes()->GetString("image")))
    picture_ = std::move(p);
}

void DUICircleItem::Load(std::unique_ptr<AttributeMap> map) {
  DUIItem::Load(std::move(map));
  is_cancel_ = attributes()->GetInt("is_cancel", is_cancel_);
  LoadPicture();
  RepaintWindow();
}

void DUIDecorItem::Load(std::unique_ptr<AttributeMap> map) {
  DUIItem::Load(std::move(map));
  LoadPicture();
  RepaintWindow();
}

void DUIFilterItem::Load(std::unique_ptr<AttributeMap> map) {
  DUIItem::Load(std::move(map));
  LoadPicture();
  mask_color_ = attributes()->GetInt("mask_color", mask_color_);
  is_cancel_ = attributes()->GetInt("is_cancel", is_cancel_);
  if (IsPlainCaption(name())) plain_ = true;
  RepaintWindow();
}

bool IsPlainCaption(const std::string& ansi_caption) {
  static const std::vector<std::string> kWords = {Utf8ToAnsi("原图"), Utf8ToAnsi("无"),
                                                  Utf8ToAnsi("取消")};
  for (const std::string& w : kWords) {
    if (ansi_caption == w) return true;
  }
  return false;
}

}  // namespace vl
