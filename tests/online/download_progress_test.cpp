// Download progress: lengths from the header, the percentage and the balloon's text.
#include <gtest/gtest.h>

#include "common/text_convert.h"
#include "online/download_progress.h"

namespace vl {
namespace {

TEST(ContentLength, SixtyFourBitDecimalOnly) {
  EXPECT_EQ(ParseContentLength("0"), 0u);
  EXPECT_EQ(ParseContentLength(" 1048576 "), 1048576u);
  EXPECT_EQ(ParseContentLength("5368709120"), 5368709120u);  // 5 GiB: past 32 bits
  EXPECT_EQ(ParseContentLength("999999999999999999"), 999999999999999999u);
  EXPECT_FALSE(ParseContentLength(""));
  EXPECT_FALSE(ParseContentLength("-1"));
  EXPECT_FALSE(ParseContentLength("12ab"));
  EXPECT_FALSE(ParseContentLength("1 2"));
  EXPECT_FALSE(ParseContentLength("99999999999999999999999"));
}

TEST(Progress, ZeroTotalIsZeroPercentNotADivisionByZero) {
  EXPECT_EQ(ProgressPercent(0, 0), 0);
  EXPECT_EQ(ProgressPercent(123456, 0), 0);
}

TEST(Progress, ClampedToOneHundredWhenTheLengthLies) {
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(999, 1000), 99);  // truncated
  EXPECT_EQ(ProgressPercent(1000, 1000), 100);
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);  // more than announced
}

TEST(Progress, HugeLengthsDoNotOverflow) {
  const uint64_t total = 999999999999999999u;
  EXPECT_EQ(ProgressPercent(total / 2, total), 49);
  EXPECT_EQ(ProgressPercent(total - 1, total), 99);
  EXPECT_EQ(ProgressPercent(5368709120u / 4, 5368709120u), 25);  // 32-bit values would wrap
}

TEST(ProgressBalloon, SizeOnlyWhenKnown) {
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(3 * 1048576 + 524288, 42)),
            "正在下载更新，请稍后......\n文件大小:3.500M 已下载:42%");
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(0, 7)), "正在下载更新，请稍后......\n已下载:7%");
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(0, 250)), "正在下载更新，请稍后......\n已下载:100%");
}

}  // namespace
}  // namespace vl
