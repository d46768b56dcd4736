// The panel's named-resource store: the pictures the phone sends for its items. Filled on the
// stream worker's thread, read on the UI thread; bounded in total bytes, looked up by name in
// constant time.
//
// The bytes of a resource are shared, never copied, with whoever reads them: a replacement
// arriving meanwhile gets a buffer of its own, and the old one goes when its last reader is
// done. Each resource also remembers the picture last decoded from its bytes (or that they do
// not decode), so items naming it share one picture and nothing is decoded twice.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "panel/panel_limits.h"

namespace vl {

class PanelPicture;

class PanelResourceStore {
 public:
  // The bytes of one resource as a reader holds them.
  struct Bytes {
    std::shared_ptr<const uint8_t> data;  // null when the resource has no bytes
    int32_t size = 0;
    uint64_t generation = 0;  // changes with every Add of the name
  };

  explicit PanelResourceStore(int64_t capacity = kMaxResourceStoreBytes) : capacity_(capacity) {}

  // Stores the resource, replacing the data of one with exactly that name. False (and the
  // buffer freed, the store unchanged) when the store would exceed its capacity.
  bool Add(const std::string& name, std::unique_ptr<uint8_t[]> data, int32_t size);
  // The bytes of the resource of that name; false when there is none.
  bool Get(const std::string& name, Bytes* out) const;
  // A copy of the bytes of the resource of that name.
  bool Find(const std::string& name, std::vector<uint8_t>* out) const;

  // The picture decoded from the resource's current bytes: `*picture` is it while an item still
  // shows it, null otherwise; `*undecodable` says the current bytes were found not to decode.
  // False when there is no such resource.
  bool CachedPicture(const std::string& name, std::shared_ptr<const PanelPicture>* picture,
                     bool* undecodable) const;
  // Remembers what the bytes of `generation` decoded to (null: they do not decode); nothing
  // when the resource has been replaced since.
  void RememberPicture(const std::string& name, uint64_t generation,
                       const std::shared_ptr<const PanelPicture>& picture);

  size_t count() const;
  int64_t used_bytes() const;

 private:
  struct Entry {
    Bytes bytes;
    std::weak_ptr<const PanelPicture> picture;
    bool undecodable = false;
  };
  static int64_t Charge(const std::string& name, int32_t size);

  const int64_t capacity_;
  mutable std::mutex lock_;
  std::unordered_map<std::string, Entry> resources_;
  int64_t used_ = 0;
  uint64_t next_generation_ = 1;
};

}  // namespace vl
