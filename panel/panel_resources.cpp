#include "panel/panel_resources.h"

#include <algorithm>

namespace vl {

int64_t PanelResourceStore::Charge(const std::string& name, int32_t size) {
  return static_cast<int64_t>(name.size()) + std::max<int32_t>(size, 0) + kResourceEntryCharge;
}

bool PanelResourceStore::Add(const std::string& name, std::unique_ptr<uint8_t[]> data,
                             int32_t size) {
  if (size < 0) size = 0;
  // Made before the lock: the UI thread is not kept waiting while this allocates.
  Bytes bytes;
  bytes.size = size;
  if (data && size > 0)
    bytes.data =
        std::shared_ptr<const uint8_t>(data.release(), [](const uint8_t* p) { delete[] p; });
  std::lock_guard<std::mutex> lock(lock_);
  auto it = resources_.find(name);
  const int64_t used = used_ + Charge(name, size) -
                       (it == resources_.end() ? 0 : Charge(name, it->second.bytes.size));
  if (used > capacity_) return false;
  if (it == resources_.end()) it = resources_.emplace(name, Entry()).first;
  bytes.generation = next_generation_++;
  it->second = Entry();
  it->second.bytes = std::move(bytes);
  used_ = used;
  return true;
}

bool PanelResourceStore::Get(const std::string& name, Bytes* out) const {
  std::lock_guard<std::mutex> lock(lock_);
  const auto it = resources_.find(name);
  if (it == resources_.end()) return false;
  *out = it->second.bytes;
  return true;
}

bool PanelResourceStore::Find(const std::string& name, std::vector<uint8_t>* out) const {
  Bytes bytes;
  if (!Get(name, &bytes)) return false;
  if (bytes.data) {
    out->assign(bytes.data.get(), bytes.data.get() + bytes.size);
  } else {
    out->clear();
  }
  return true;
}

bool PanelResourceStore::CachedPicture(const std::string& name,
                                       std::shared_ptr<const PanelPicture>* picture,
                                       bool* undecodable) const {
  std::lock_guard<std::mutex> lock(lock_);
  const auto it = resources_.find(name);
  if (it == resources_.end()) return false;
  *picture = it->second.picture.lock();
  *undecodable = it->second.undecodable;
  return true;
}

void PanelResourceStore::RememberPicture(const std::string& name, uint64_t generation,
                                         const std::shared_ptr<const PanelPicture>& picture) {
  std::lock_guard<std::mutex> lock(lock_);
  const auto it = resources_.find(name);
  if (it == resources_.end() || it->second.bytes.generation != generation) return;
  it->second.picture = picture;
  it->second.undecodable = picture == nullptr;
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
