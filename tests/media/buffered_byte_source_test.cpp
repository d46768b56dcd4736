// The stream reader's buffer: whatever the transport delivers at a time, the reads give the
// stream's bytes in order; long payloads bypass the buffer; an ended stream gives a short read.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "media/buffered_byte_source.h"

namespace vl {
namespace {

// A transport that has `stream` to give, delivering at most `piece` bytes per read.
class PieceSource : public IByteSource {
 public:
  PieceSource(std::vector<uint8_t> stream, int32_t piece)
      : stream_(std::move(stream)), piece_(piece) {}
  int32_t Receive(void* buffer, int32_t length) override {
    ++reads;
    const int32_t n = std::min<int32_t>(length, Left());
    Copy(buffer, n);
    return n;
  }
  int32_t ReceiveSome(void* buffer, int32_t capacity) override {
    ++reads;
    const int32_t n = std::min({capacity, piece_, Left()});
    Copy(buffer, n);
    return n;
  }
  int reads = 0;

 private:
  int32_t Left() const { return static_cast<int32_t>(stream_.size() - at_); }
  void Copy(void* buffer, int32_t n) {
    std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(at_), n,
                static_cast<uint8_t*>(buffer));
    at_ += static_cast<size_t>(n);
  }
  std::vector<uint8_t> stream_;
  size_t at_ = 0;
  int32_t piece_;
};

TEST(BufferedByteSourceTest, ReadsGiveTheStreamInOrderWhateverTheTransportDelivers) {
  std::vector<uint8_t> stream(300000);
  std::iota(stream.begin(), stream.end(), 0);
  // Reads as a packet reader makes them: two 4-byte fields, then payloads short and long.
  const int32_t reads[] = {4, 4, 100, 4, 4, 70000, 4, 4, 1, 4, 4, 65536, 4, 4, 30000, 5};
  for (int32_t piece : {1, 7, 4096, 65536, 1 << 20}) {
    PieceSource source(stream, piece);
    BufferedByteSource buffered(source);
    size_t at = 0;
    for (int32_t length : reads) {
      std::vector<uint8_t> got(static_cast<size_t>(length));
      ASSERT_EQ(buffered.Receive(got.data(), length), length) << "pieces of " << piece;
      ASSERT_TRUE(
          std::equal(got.begin(), got.end(), stream.begin() + static_cast<std::ptrdiff_t>(at)))
          << "pieces of " << piece << " at " << at;
      at += static_cast<size_t>(length);
    }
  }
}

TEST(BufferedByteSourceTest, SmallFieldsOfManyPacketsComeFromFewReads) {
  std::vector<uint8_t> stream(100 * 40, 1);  // 100 packets of 8 header bytes and 32 of payload
  PieceSource source(stream, 1 << 20);
  BufferedByteSource buffered(source);
  uint8_t field[32];
  for (int packet = 0; packet < 100; ++packet) {
    ASSERT_EQ(buffered.Receive(field, 4), 4);
    ASSERT_EQ(buffered.Receive(field, 4), 4);
    ASSERT_EQ(buffered.Receive(field, 32), 32);
  }
  EXPECT_EQ(source.reads, 1);
}

TEST(BufferedByteSourceTest, AStreamThatEndsGivesAShortRead) {
  for (int32_t length : {10, 200000}) {
    PieceSource source(std::vector<uint8_t>(50, 3), 16);
    BufferedByteSource buffered(source);
    std::vector<uint8_t> got(static_cast<size_t>(length));
    EXPECT_EQ(buffered.Receive(got.data(), 8), 8);
    EXPECT_EQ(buffered.Receive(got.data(), length), length == 10 ? 10 : 42) << length;
  }
}

}  // namespace
}  // namespace vl
