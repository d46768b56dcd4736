// The leaves of the panel: the labelled slider of an adjustment page and the three picture
// items of a page list (circle, decoration and filter items).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/dui_ctrl.h"
#include "panel/panel_limits.h"

namespace vl {

class DUISlider : public DUIItem {
 public:
  explicit DUISlider(IPanelPlatform* platform) : DUIItem(ControlClass::kSlider, platform) {}

  // Base load, then "min", "max" and "pos" (current values as defaults); the window follows.
  void Load(std::unique_ptr<AttributeMap> map) override;

  // The range always holds minimum <= maximum, and the value lies inside it, whatever the phone
  // sends: a minimum above the maximum raises the maximum, a maximum below the minimum lowers
  // the minimum.
  void SetMinimum(int32_t v);
  void SetMaximum(int32_t v);
  void SetValue(int32_t v);
  int32_t minimum() const { return minimum_; }
  int32_t maximum() const { return maximum_; }
  int32_t value() const { return value_; }

  // From the slider widget: the user moved the thumb (value changed while the button is held)
  // or released the button. Both tell the phone and update the value label.
  void OnSliderPos(int32_t value);
  void OnSliderEnd(int32_t value);

 private:
  void Report(const char* event, int32_t value);

  int32_t minimum_ = 0;
  int32_t maximum_ = 100;
  int32_t value_ = 50;
};

// The common part of the three picture items: the picture named by "image". A load repaints
// the item (with its window), so a new picture, caption or colour shows at once rather than at
// the next selection change, which repaints only the items whose selection changes.
class DUIPictureItem : public DUIItem {
 public:
  static constexpr int32_t kPictureBound = kItemPictureSide;
  // The picture, decoded and scaled to fit 68 x 68. Items naming the same resource share one
  // picture, decoded once from the store's bytes (see PanelManager::PictureFor): an item holds
  // no bytes of its own, so hundreds of items naming a large resource cost one small bitmap.
  const PanelPicture* picture() const { return picture_.get(); }

 protected:
  using DUIItem::DUIItem;
  // The picture of the "image" resource; a name that is absent or not in the store, or bytes
  // that do not decode, leave the current picture.
  void LoadPicture();

 private:
  std::shared_ptr<const PanelPicture> picture_;
};

class DUICircleItem : public DUIPictureItem {
 public:
  explicit DUICircleItem(IPanelPlatform* platform)
      : DUIPictureItem(ControlClass::kCircleItem, platform) {}
  void Load(std::unique_ptr<AttributeMap> map) override;
  int32_t is_cancel() const { return is_cancel_; }

 private:
  int32_t is_cancel_ = 0;
};

class DUIDecorItem : public DUIPictureItem {
 public:
  explicit DUIDecorItem(IPanelPlatform* platform)
      : DUIPictureItem(ControlClass::kDecorItem, platform) {}
  void Load(std::unique_ptr<AttributeMap> map) override;
};

class DUIFilterItem : public DUIPictureItem {
 public:
  static constexpr int32_t kDefaultMaskColor = 0xE75988;  // 0xRRGGBB
  explicit DUIFilterItem(IPanelPlatform* platform)
      : DUIPictureItem(ControlClass::kFilterItem, platform) {}
  void Load(std::unique_ptr<AttributeMap> map) override;
  int32_t mask_color() const { return mask_color_; }
  int32_t is_cancel() const { return is_cancel_; }
  // The caption is one of the "no filter" words: grey text without a band until selected.
  // Once set it stays set.
  bool plain() const { return plain_; }

 private:
  int32_t mask_color_ = kDefaultMaskColor;
  int32_t is_cancel_ = 0;
  bool plain_ = false;
};

// The captions of "no filter" items, "原图", "无" and "取消", in the ANSI code page: captions
// arrive converted to it, so they are compared in it.
bool IsPlainCaption(const std::string& ansi_caption);

}  // namespace vl
