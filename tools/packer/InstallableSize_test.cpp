#include "InstallableSize.h"

#include <gtest/gtest.h>

namespace packer {
namespace {

TEST(InstallableSizeTest, RefusesOnlyWhatIsOverTheLimit) {
  struct Case {
    const char* name;
    const char* part;
    uint64_t bytes;
    std::string want;
  };
  const std::string tail =
      " bytes, more than the 1,824,522,240 (1,740 MiB) that the 32-bit installer can unpack "
      "beside its own image";
  const Case kCases[] = {
      {"nothing", "archive", 0, ""},
      {"the shipped package", "archive", 250464229, ""},
      {"exactly the limit", "archive", kLargestInstallableBytes, ""},
      {"one byte over", "archive", kLargestInstallableBytes + 1,
       "the product is too large to install: its archive has 1,824,522,241" + tail},
      {"a stream one byte over", "compressed stream", kLargestInstallableBytes + 1,
       "the product is too large to install: its compressed stream has 1,824,522,241" + tail},
      {"past 4 GiB", "archive", 0x100000000ull,
       "the product is too large to install: its archive has 4,294,967,296" + tail},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(CheckInstallableSize(c.part, c.bytes), c.want) << c.name;
  }
}

}  // namespace
}  // namespace packer
