#include "tests/panel/panel_test_support.h"

#include <algorithm>
#include <cstdio>

#include "widgets/fit_size.h"

namespace vl::test {

FakeView::~FakeView() {
  if (!alive) return;
  alive = false;
  // Windows made inside this one go with it, as the system destroys child windows. Nothing is
  // allocated here: destruction must not fail when memory runs out.
  auto& live = log_.live;
  for (FakeView* v : live) {
    for (FakeView* p = v->parent; p && v->alive; p = p->parent)
      if (p == this) v->alive = false;
  }
  live.erase(std::remove_if(live.begin(), live.end(), [](FakeView* v) { return !v->alive; }),
             live.end());
}

bool FakeView::Open(ViewParent in, const PanelRect& at) {
  parent = static_cast<FakeView*>(in);
  rect = at;
  alive = true;
  log_.live.push_back(this);
  control.OnWindowCreated();
  return true;
}

std::unique_ptr<PanelPicture> FakePlatform::DecodePicture(const uint8_t* data, size_t size,
                                                          int32_t bound) {
  ++decodes;
  const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
  int w = 0, h = 0;
  if (std::sscanf(text.c_str(), "PIC %dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return nullptr;
  const FitSize fit = FitIntoSquare(w, h, bound, false);  // as the windows' decoder does
  return std::make_unique<FakePicture>(fit.width, fit.height);
}

int FakePlatform::LiveWindows() const {
  int windows = 0;
  for (const FakeView* v : log.live) windows += ViewWindows(v->control.kind());
  return windows;
}

FakeView* FakePlatform::ViewOf(int32_t id) const {
  auto it = std::find_if(log.live.begin(), log.live.end(),
                         [&](FakeView* v) { return v->control.GetId() == id; });
  return it == log.live.end() ? nullptr : *it;
}

FakeView* FakePlatform::ViewOf(const DUICtrl* control) const {
  auto it = std::find_if(log.live.begin(), log.live.end(),
                         [&](FakeView* v) { return &v->control == control; });
  return it == log.live.end() ? nullptr : *it;
}

std::string Command(const std::string& name, int parent, const std::string& ctrls,
                    const std::string& pos) {
  std::string x = "<command name=\"" + name + "\"";
  if (parent != kNoParent) x += " parent_id=\"" + std::to_string(parent) + "\"";
  if (!pos.empty()) x += " pos_index=\"" + pos + "\"";
  return x + ">" + ctrls + "</command>";
}

std::string Ctrls(const std::string& cls, int first_id, int count, const std::string& attrs) {
  std::string x;
  for (int i = 0; i < count; ++i) {
    x += "<ctrl class=\"" + cls + "\" id=\"" + std::to_string(first_id + i) + "\"" +
         (attrs.empty() ? "" : " " + attrs) + "/>";
  }
  return x;
}

std::string Config(const std::string& inside, int root) {
  return Command(
      "config", kNoParent,
      "<ctrl class=\"op_area\" id=\"" + std::to_string(root) + "\">" + inside + "</ctrl>");
}

std::vector<int32_t> Ids(const DUICtrl* c) {
  std::vector<int32_t> ids;
  if (!c) return ids;
  for (const DUICtrl* k : c->GetChildren()) ids.push_back(k->GetId());
  return ids;
}

void PanelFixture::Resource(const std::string& name, const std::string& text) {
  auto data = std::make_unique<uint8_t[]>(text.size());
  std::copy(text.begin(), text.end(), data.get());
  manager.AddResource(name, std::move(data), static_cast<int32_t>(text.size()));
}

}  // namespace vl::test
