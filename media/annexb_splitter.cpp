#include "media/annexb_splitter.h"

#include <cstring>

namespace vl {
namespace {

// Zero bytes just before data[end], counting on into the `before` zero bytes that preceded the
// chunk when the chunk itself is all zeros up to there.
size_t ZerosBefore(const uint8_t* data, size_t end, size_t before) {
  size_t k = end;
  while (k > 0 && data[k - 1] == 0) --k;
  return (end - k) + (k == 0 ? before : 0);
}

size_t WithoutTrailingZeros(const uint8_t* data, size_t size) {
  while (size > 3 && data[size - 1] == 0) --size;  // the start code's 01 stops it
  return size;
}

}  // namespace

AnnexBSplitter::Boundary AnnexBSplitter::Classify(const uint8_t* data, size_t size) const {
  if (!in_unit_) return Boundary::kNoUnit;
  size_t first = 0;
  while (first < size && data[first] == 0) ++first;
  if (first == size) return Boundary::kUndecided;
  return data[first] == 1 && trailing_zeros_ + first >= 2 ? Boundary::kAtStart
                                                          : Boundary::kInsideUnit;
}

void AnnexBSplitter::Feed(const uint8_t* data, size_t size,
                          const std::function<void(const NalUnit&)>& complete) {
  if (data == nullptr || size == 0) return;
  // The current unit's bytes from chunk offset `from` on are not stored yet; the part before
  // them, when the unit began in an earlier chunk (or its start code straddled the border), is in
  // pending_ (`stored`).
  bool stored = in_unit_;
  size_t from = 0;
  const size_t zeros_before_chunk = trailing_zeros_;
  size_t i = 0;
  while (i < size) {
    const void* hit = std::memchr(data + i, 1, size - i);
    if (hit == nullptr) break;
    const size_t p = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
    i = p + 1;
    const size_t zeros = ZerosBefore(data, p, zeros_before_chunk);
    if (zeros < 2) continue;  // a 01 byte inside a unit
    if (in_unit_) {
      if (!stored) {
        const size_t end = WithoutTrailingZeros(data + from, p - from);
        if (end > 3) complete({data + from, end});
      } else {
        pending_.insert(pending_.end(), data + from, data + p);
        const size_t end = WithoutTrailingZeros(pending_.data(), pending_.size());
        if (end > 3) complete({pending_.data(), end});
      }
    }
    in_unit_ = true;
    if (p >= 2) {
      stored = false;
      from = p - 2;  // the unit is 00 00 01 and what follows, all in this chunk
    } else {
      stored = true;  // the start code straddles the chunk border
      pending_.assign({0, 0, 1});
      from = p + 1;
    }
  }
  if (in_unit_) {
    if (stored)
      pending_.insert(pending_.end(), data + from, data + size);
    else
      pending_.assign(data + from, data + size);
    if (pending_.size() > kMaxUnitSize) {
      in_unit_ = false;
      pending_.clear();
    }
  }
  const size_t tail = ZerosBefore(data, size, 0);
  trailing_zeros_ = tail == size ? zeros_before_chunk + size : tail;
}

NalUnit AnnexBSplitter::Pending() const {
  if (!in_unit_) return {};
  const size_t end = WithoutTrailingZeros(pending_.data(), pending_.size());
  if (end <= 3) return {};
  return {pending_.data(), end};
}

void AnnexBSplitter::DropPending() {
  in_unit_ = false;
  pending_.clear();
}

void AnnexBSplitter::Reset() {
  DropPending();
  trailing_zeros_ = 0;
}

}  // namespace vl
