// Program versions: four 16-bit fields compared from the first.
#include <gtest/gtest.h>

#include "online/version_number.h"

namespace vl {
namespace {

TEST(Version, ParsesFourFieldsAndFillsMissingOnesWithZero) {
  EXPECT_EQ(ParseVersion("1.2.3.4"), (VersionNumber{1, 2, 3, 4}));
  EXPECT_EQ(ParseVersion("1.2.3"), (VersionNumber{1, 2, 3, 0}));
  EXPECT_EQ(ParseVersion("7"), (VersionNumber{7, 0, 0, 0}));
  EXPECT_EQ(ParseVersion(""), (VersionNumber{0, 0, 0, 0}));
  EXPECT_EQ(ParseVersion("2.1beta.x.9"), (VersionNumber{2, 1, 0, 9}));
  EXPECT_EQ(ParseVersion("1.2.3.4.5"), (VersionNumber{1, 2, 3, 4}));
  EXPECT_EQ(ParseVersion("1.70000.99999999999999999999.3"), (VersionNumber{1, 65535, 65535, 3}));
  EXPECT_EQ(FormatVersion({1, 0, 10, 100}), "1.0.10.100");
}

TEST(Version, NewerOnlyWhenTheFirstDifferingFieldIsLarger) {
  // Fields above 255 compare by their whole value: packing eight bits per field made 256 look
  // like 0, a downgrade offered at every start. An unreadable program version sees no update.
  const struct {
    const char *program, *offered;
    bool newer;
  } cases[] = {
      {"2.0.0.255", "2.0.0.256", true}, {"2.0.0.256", "2.0.0.255", false},
      {"1.256.0.0", "1.0.0.0", false},  {"1.0.0.0", "1.256.0.0", true},
      {"1.0.300.0", "1.1.0.0", true},   {"1.0.9.0", "1.0.10.0", true},
      {"1.0.9.0", "1.0.9.0", false},    {"1.0.10.0", "1.0.9.0", false},
      {"1.0.0.0", "1.0.0.1", true},     {"2.0.0.0", "1.9.9.9", false},
      {"1.2.3.0", "1.2.4", true},       {"", "9.9.9.9", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNewerVersion(c.program, c.offered), c.newer) << c.program << " < " << c.offered;
}

}  // namespace
}  // namespace vl
