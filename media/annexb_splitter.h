// Cuts an H.264 Annex B byte stream that arrives in chunks of any size into NAL units. A unit is
// complete when the next start code has arrived: the byte stream has no other end marker, so the
// unit a chunk ends in stays pending (its bytes kept) until the following chunks show where it
// ends. Platform-neutral; the pending unit's buffer is kept between chunks, so a steady stream
// allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vl {

// One NAL unit: the 3-byte start code 00 00 01, the header byte, the payload. Valid during the
// call it is handed to.
struct NalUnit {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// NAL unit types and facts the decoder's bookkeeping needs (from the header and the first
// payload bit; nothing here parses a slice further).
namespace nal {
inline int Type(const NalUnit& u) {
  return u.size > 3 ? u.data[3] & 0x1F : -1;
}
// A coded slice of a picture (types 1 and 5: phones send neither data partitions nor SVC).
inline bool IsSlice(const NalUnit& u) {
  const int t = Type(u);
  return t == 1 || t == 5;
}
inline bool IsIdrSlice(const NalUnit& u) {
  return Type(u) == 5;
}
// A slice whose first_mb_in_slice is 0: it begins a picture. first_mb_in_slice is the payload's
// first Exp-Golomb number, and 0 is coded as a single 1 bit. The byte after the (non-zero)
// header can never be an emulation prevention byte.
inline bool BeginsPicture(const NalUnit& u) {
  return IsSlice(u) && u.size > 4 && (u.data[4] & 0x80) != 0;
}
}  // namespace nal

class AnnexBSplitter {
 public:
  // Longest unit kept: a unit growing beyond it (a stream without start codes) is dropped, and
  // the splitter waits for the next start code.
  static constexpr size_t kMaxUnitSize = 16 << 20;

  // How the next chunk relates to the pending unit, known from its first non-zero byte.
  enum class Boundary {
    kNoUnit,      // nothing pending: the chunk cannot cut into a unit
    kUndecided,   // the chunk is all zero bytes: the next chunk tells
    kAtStart,     // the chunk begins (after zero bytes) with a start code: the pending unit ends
    kInsideUnit,  // the chunk continues the pending unit
  };
  Boundary Classify(const uint8_t* data, size_t size) const;

  // Feeds one chunk: `complete` gets every unit that the chunk completes, in stream order.
  // Bytes before the stream's first start code are dropped.
  void Feed(const uint8_t* data, size_t size, const std::function<void(const NalUnit&)>& complete);

  // The pending unit without the zero bytes it ends in (a unit never ends in zero; they may begin
  // the next start code), or an empty unit when none is pending or it has no header yet.
  NalUnit Pending() const;
  // Forgets the pending unit, which the caller has taken as complete; zero bytes after it still
  // count towards the next start code.
  void DropPending();
  // Forgets everything (a new stream).
  void Reset();

 private:
  bool in_unit_ = false;          // a start code has been seen; pending_ holds its unit
  std::vector<uint8_t> pending_;  // 00 00 01, header, payload so far (with any trailing zeros)
  size_t trailing_zeros_ = 0;     // zero bytes at the end of the stream so far
};

}  // namespace vl
