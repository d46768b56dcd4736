// The panel's named-resource store: the pictures the phone sends for its items. Filled on the
// stream worker's thread, read on the UI thread; bounded in total bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "panel/panel_limits.h"

namespace vl {

struct PanelResource {
  std::string name;
  std::unique_ptr<uint8_t[]> data;
  int32_t size = 0;
};

class PanelResourceStore {
 public:
  explicit PanelResourceStore(int64_t capacity = kMaxResourceStoreBytes) : capacity_(capacity) {}

  // Stores the resource, replacing the data of one with exactly that name. False (and the
  // buffer freed, the store unchanged) when the store would exceed its capacity.
  bool Add(const std::string& name, std::unique_ptr<uint8_t[]> data, int32_t size);
  // A copy of the bytes of the resource of that name.
  bool Find(const std::string& name, std::vector<uint8_t>* out) const;

  size_t count() const;
  int64_t used_bytes() const;

 private:
  static int64_t Charge(const std::string& name, int32_t size);

  const int64_t capacity_;
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<PanelResource>> resources_;  // in arrival order
  int64_t used_ = 0;
};

}  // namespace vl
