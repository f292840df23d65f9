#include "framework/UniqueGdiObject.h"

#include <gtest/gtest.h>

namespace {

bool Exists(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(UniqueGdiObjectTest, DeletesWhatItOwnsWhenReplacedOrGone) {
  const HBRUSH first = CreateSolidBrush(RGB(255, 255, 255));
  const HBRUSH second = CreateSolidBrush(RGB(0, 0, 0));
  {
    UniqueBrush brush(first);
    brush.reset(first);  // taking the same object again keeps it
    EXPECT_TRUE(Exists(first));
    brush.reset(second);
    EXPECT_FALSE(Exists(first));
    EXPECT_EQ(brush.get(), second);
    EXPECT_TRUE(Exists(second));
  }
  EXPECT_FALSE(Exists(second));
}

}  // namespace
