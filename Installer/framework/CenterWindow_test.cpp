// Centring a pop-up over its owner inside the work area: the plain computation, case by case.
#include "framework/CenterWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(CenterWindowTest, CentresOverTheOwnerInsideTheWorkArea) {
  const RECT workArea = {0, 0, 1024, 740};
  struct Case {
    const char* name;
    RECT window;  // only its size counts
    RECT owner;
    RECT want;
  } cases[] = {
      {"the middle of the owner", {0, 0, 372, 150}, {229, 145, 795, 529}, {326, 262, 698, 412}},
      {"where it starts makes no difference", {229, 145, 601, 295}, {229, 145, 795, 529},
       {326, 262, 698, 412}},
      {"an odd difference rounds towards the top-left", {0, 0, 101, 51}, {0, 0, 200, 100},
       {49, 24, 150, 75}},
      {"an owner partly off the left and top edges", {0, 0, 372, 150}, {-500, -300, 100, 100},
       {0, 0, 372, 150}},
      {"an owner partly off the right and bottom edges", {0, 0, 372, 150},
       {900, 700, 1400, 1000}, {652, 590, 1024, 740}},
      {"a window larger than the work area keeps its top-left in it", {0, 0, 1200, 800},
       {229, 145, 795, 529}, {0, 0, 1200, 800}},
  };
  for (const Case& c : cases) {
    const RECT got = CenteredRect(c.window, c.owner, workArea);
    EXPECT_EQ(got.left, c.want.left) << c.name;
    EXPECT_EQ(got.top, c.want.top) << c.name;
    EXPECT_EQ(got.right, c.want.right) << c.name;
    EXPECT_EQ(got.bottom, c.want.bottom) << c.name;
  }
}

}  // namespace
