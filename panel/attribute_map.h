// The attributes of one element of a panel command: (name, value) pairs in document order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vl {

class AttributeMap {
 public:
  using Pair = std::pair<std::string, std::string>;

  void Add(std::string name, std::string value) {
    pairs_.emplace_back(std::move(name), std::move(value));
  }
  // The first value whose name matches exactly (case-sensitive), or empty.
  const std::string& GetString(const std::string& name) const;
  bool Has(const std::string& name) const;
  // `fallback` when the name is absent; otherwise the value read as an integer (ReadInteger).
  int32_t GetInt(const std::string& name, int32_t fallback) const;
  std::unique_ptr<AttributeMap> Clone() const { return std::make_unique<AttributeMap>(*this); }

  const std::vector<Pair>& pairs() const { return pairs_; }
  size_t size() const { return pairs_.size(); }

 private:
  const Pair* Find(const std::string& name) const;
  std::vector<Pair> pairs_;
};

// How the phone's integer attributes read: when "0x" occurs anywhere in the text, the hex digits
// from its third character on (up to the first non-hex character); otherwise atoi's reading
// (blanks, sign, leading digits; none gives 0). Values beyond 32 bits saturate instead of
// overflowing: hex at 0xFFFFFFFF (which reads as -1), decimal at INT32_MIN / INT32_MAX.
int32_t ReadInteger(const std::string& text);

}  // namespace vl
