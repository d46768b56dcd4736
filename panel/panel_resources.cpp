#include "panel/panel_resources.h"

#include <algorithm>

namespace vl {

int64_t PanelResourceStore::Charge(const std::string& name, int32_t size) {
  return static_cast<int64_t>(name.size()) + std::max<int32_t>(size, 0) + kResourceEntryCharge;
}

bool PanelResourceStore::Add(const std::string& name, std::unique_ptr<uint8_t[]> data,
                             int32_t size) {
  if (size < 0) size = 0;
  std::lock_guard<std::mutex> lock(lock_);
  for (auto& r : resources_) {
    if (r->name != name) continue;
    const int64_t used = used_ - Charge(r->name, r->size) + Charge(name, size);
    if (used > capacity_) return false;
    r->data = std::move(data);
    r->size = size;
    used_ = used;
    return true;
  }
  if (used_ + Charge(name, size) > capacity_) return false;
  auto r = std::make_unique<PanelResource>();
  r->name = name;
  r->data = std::move(data);
  r->size = size;
  used_ += Charge(name, size);
  resources_.push_back(std::move(r));
  return true;
}

bool PanelResourceStore::Find(const std::string& name, std::vector<uint8_t>* out) const {
  std::lock_guard<std::mutex> lock(lock_);
  for (const auto& r : resources_) {
    if (r->name != name) continue;
    if (r->data && r->size > 0) {
      out->assign(r->data.get(), r->data.get() + r->size);
    } else {
      out->clear();
    }
    return true;
  }
  return false;
}

size_t PanelResourceStore::count() const {
  std::lock_guard<std::mutex> lock(lock_);
  return resources_.size();
}

int64_t PanelResourceStore::used_bytes() const {
  std::lock_guard<std::mutex> lock(lock_);
  return used_;
}

}  // namespace vl
