// The progress scale and percentage for any file count (the message sequences themselves are
// checked through CInstaller::Files).
#include "package/ExtractionProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtractionProgressTest, ScaleIsTheFirstPowerOfTenFromHundredNotBelowTheCount) {
  struct Case {
    uint32_t count;
    uint64_t want;
  };
  const Case kCases[] = {{0, 100},     {1, 100},      {88, 100},
                         {100, 100},   {101, 1000},   {250, 1000},
                         {1000, 1000}, {1001, 10000}, {4294967295u, 10000000000ull}};
  for (const Case& c : kCases) EXPECT_EQ(c.want, ProgressScale(c.count)) << c.count;
}

TEST(ExtractionProgressTest, PercentageStartsAtZeroNeverFallsAndStaysBelowHundred) {
  for (uint32_t count : {1u, 7u, 88u, 99u, 100u, 101u, 250u, 999u, 1000u, 1001u, 12345u}) {
    const uint64_t scale = ProgressScale(count);
    int previous = 0;
    EXPECT_EQ(0, ProgressPercentage(scale, count, 0)) << count;
    for (uint32_t i = 0; i < count; ++i) {
      const int percentage = ProgressPercentage(scale, count, i);
      ASSERT_GE(percentage, previous) << "count " << count << " index " << i;
      ASSERT_LT(percentage, 100) << "count " << count << " index " << i;
      previous = percentage;
    }
  }
}

TEST(ExtractionProgressTest, HugeCountsDoNotOverflow) {
  const uint32_t count = 4294967295u;
  const uint64_t scale = ProgressScale(count);
  // scale / count is 2, so the last entry shows (2 * (count - 1)) / 10^8.
  EXPECT_EQ(85, ProgressPercentage(scale, count, count - 1));
  EXPECT_EQ(42, ProgressPercentage(scale, count, count / 2));
}

}  // namespace
