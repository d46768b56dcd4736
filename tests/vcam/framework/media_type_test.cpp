// The framework's parts that need no filter: media type ownership, partial matching, the bitmap
// header helpers, and the worker thread with its synchronous command channel.
#include <gtest/gtest.h>

#include "vcam/framework/am_thread.h"
#include "vcam/framework/media_type.h"

#include <cstring>
#include <vector>

namespace vl::vcam {
namespace {

TEST(MediaTypeTest, SubtypesFromBitmapHeaders) {
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof(h);
  h.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
  h.biBitCount = 16;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), MEDIASUBTYPE_YUY2);
  h.biCompression = BI_BITFIELDS;
  const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
  EXPECT_EQ(GetBitmapSubtype(&h, rgb565), MEDIASUBTYPE_RGB565);
  h.biCompression = BI_RGB;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), MEDIASUBTYPE_RGB555);
  h.biBitCount = 8;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), MEDIASUBTYPE_RGB8);
  h.biBitCount = 7;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), GUID_NULL);
  h.biWidth = 5;
  h.biHeight = -3;
  h.biBitCount = 24;
  EXPECT_EQ(GetBitmapSize(&h), -48);
}

// Copies own their format blocks; a partial type matches by what it specifies, its block's bytes
// only when it has one.
TEST(MediaTypeTest, CopiesOwnTheirFormatBlocksAndPartialTypesMatchByWhatTheySpecify) {
  CMediaType original(&MEDIATYPE_Video);
  BYTE* block = original.AllocFormatBuffer(16);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0x42, 16);
  AM_MEDIA_TYPE* copy = CreateMediaType(&original);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->pbFormat, original.pbFormat);
  EXPECT_EQ(copy->cbFormat, 16u);
  EXPECT_EQ(std::memcmp(copy->pbFormat, block, 16), 0);
  CMediaType assigned;
  assigned = *copy;
  DeleteMediaType(copy);
  EXPECT_EQ(assigned.cbFormat, 16u);
  EXPECT_EQ(assigned.pbFormat[15], 0x42);
  CMediaType partial;
  partial.majortype = MEDIATYPE_Video;
  EXPECT_TRUE(partial.IsPartiallySpecified());
  EXPECT_TRUE(assigned.MatchesPartial(&partial));
  partial.majortype = MEDIATYPE_Audio;
  EXPECT_FALSE(assigned.MatchesPartial(&partial));
  EXPECT_EQ(assigned.VideoInfo(), nullptr);  // not a VideoInfo block

  CMediaType full(&MEDIATYPE_Video);
  full.subtype = MEDIASUBTYPE_RGB24;
  full.formattype = FORMAT_VideoInfo;
  ASSERT_NE(full.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)), nullptr);
  full.pbFormat[0] = 7;
  AM_MEDIA_TYPE with_size = {};
  with_size.majortype = MEDIATYPE_Video;
  with_size.formattype = FORMAT_VideoInfo;
  with_size.cbFormat = sizeof(VIDEOINFOHEADER);  // a size, but no block: not read through
  EXPECT_TRUE(full.MatchesPartial(&with_size));
  // With a block, the bytes decide.
  std::vector<BYTE> bytes(full.pbFormat, full.pbFormat + full.cbFormat);
  with_size.pbFormat = bytes.data();
  EXPECT_TRUE(full.MatchesPartial(&with_size));
  bytes[0] = 8;
  EXPECT_FALSE(full.MatchesPartial(&with_size));
  with_size.cbFormat = 40;  // another size
  EXPECT_FALSE(full.MatchesPartial(&with_size));
  // Our own type without a block never matches a partial type that has one.
  CMediaType bare(&MEDIATYPE_Video);
  bare.formattype = FORMAT_VideoInfo;
  with_size.cbFormat = sizeof(VIDEOINFOHEADER);
  EXPECT_FALSE(bare.MatchesPartial(&with_size));
}

// A worker that echoes commands until told 99, and ends without a reply on 98.
class EchoThread : public CAMThread {
 protected:
  DWORD ThreadProc() override {
    for (;;) {
      const DWORD command = GetRequest();
      if (command == 98) return 0;
      Reply(command + 1000);
      if (command == 99) return 0;
    }
  }
};

TEST(CAMThreadTest, CommandsAreAnsweredAndADeadWorkerDoesNotHang) {
  EchoThread thread;
  EXPECT_EQ(thread.CallWorker(1), static_cast<DWORD>(E_FAIL));
  ASSERT_TRUE(thread.Create());
  EXPECT_FALSE(thread.Create());
  EXPECT_EQ(thread.CallWorker(5), 1005u);
  EXPECT_EQ(thread.CallWorker(6), 1006u);
  // The worker leaves without replying: the caller gets E_FAIL instead of waiting for ever.
  EXPECT_EQ(thread.CallWorker(98), static_cast<DWORD>(E_FAIL));
  thread.Close();
  EXPECT_FALSE(thread.ThreadExists());
  ASSERT_TRUE(thread.Create());
  EXPECT_EQ(thread.CallWorker(99), 1099u);
  thread.Close();
}

}  // namespace
}  // namespace vl::vcam
