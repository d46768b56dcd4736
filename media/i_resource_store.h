// Receiver of the named resources (type-3 packets) the phone sends for its panel controls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vl {

class IResourceStore {
 public:
  virtual ~IResourceStore() = default;
  // Called on the stream worker's thread; takes ownership of data (size bytes, may be 0).
  virtual void AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data,
                           int32_t size) = 0;
};

}  // namespace vl
