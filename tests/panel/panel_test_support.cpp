#include "tests/panel/panel_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vl::test {

FakeView::~FakeView() {
  if (!alive_) return;
  alive_ = false;
  ++log_.destroyed;
  auto& live = log_.live;
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  // Windows made inside this one go with it, as the system destroys child windows.
  for (FakeView* v : std::vector<FakeView*>(live)) {
    for (FakeView* p = v->parent_; p; p = p->parent_) {
      if (p == this) {
        v->alive_ = false;
        ++log_.destroyed;
        live.erase(std::remove(live.begin(), live.end(), v), live.end());
        break;
      }
    }
  }
}

bool FakeView::Open(ViewParent parent, const PanelRect& rect) {
  parent_ = static_cast<FakeView*>(parent);
  rect_ = rect;
  alive_ = true;
  ++log_.opened;
  log_.live.push_back(this);
  control_.OnWindowCreated();
  return true;
}

std::unique_ptr<PanelPicture> FakePlatform::DecodePicture(const uint8_t* data, size_t size,
                                                          int32_t bound) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int w = 0, h = 0;
  if (std::sscanf(text.c_str(), "PIC %dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return nullptr;
  if (w > bound || h > bound) {  // fit the square, keeping the aspect ratio
    if (w > h) {
      h = h * bound / w;
      w = bound;
    } else {
      w = w * bound / h;
      h = bound;
    }
  }
  return std::make_unique<FakePicture>(w, h);
}

FakeView* FakePlatform::ViewOf(int32_t id) const {
  for (FakeView* v : log.live) {
    if (v->control().GetId() == id) return v;
  }
  return nullptr;
}

FakeView* FakePlatform::ViewOf(const DUICtrl* control) const {
  for (FakeView* v : log.live) {
    if (&v->control() == control) return v;
  }
  return nullptr;
}

std::vector<int32_t> PanelFixture::Ids(const DUICtrl* c) {
  std::vector<int32_t> ids;
  if (!c) return ids;
  for (const DUICtrl* k : c->GetChildren()) ids.push_back(k->GetId());
  return ids;
}

void PanelFixture::Resource(const std::string& name, const std::string& text) {
  auto data = std::make_unique<uint8_t[]>(text.size());
  std::memcpy(data.get(), text.data(), text.size());
  manager.AddResource(name, std::move(data), static_cast<int32_t>(text.size()));
}

}  // namespace vl::test
