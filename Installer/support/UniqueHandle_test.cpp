#include "support/UniqueHandle.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/ScopedTempDir.h"

namespace {

// Whether a handle is still open is seen from outside: a file opened without any sharing
// cannot be opened a second time until its handle is closed.
class UniqueHandleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    file_ = dir_.Child("locked.bin");
  }

  HANDLE OpenExclusive() const {
    return CreateFileA(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // True when nobody holds the file: an exclusive open succeeds (and is closed again at once).
  bool IsFree() const {
    UniqueHandle probe(OpenExclusive());
    return static_cast<bool>(probe);
  }

  ScopedTempDir dir_;
  std::string file_;
};

TEST_F(UniqueHandleTest, TellsWhetherItHoldsAHandle) {
  struct Case {
    const char* name;
    bool open;
    HANDLE handle;
    bool want;
  };
  const Case cases[] = {
      {"null", false, nullptr, false},
      {"INVALID_HANDLE_VALUE", false, INVALID_HANDLE_VALUE, false},
      {"an open file", true, nullptr, true},
  };
  for (const Case& c : cases) {
    UniqueHandle handle(c.open ? OpenExclusive() : c.handle);
    EXPECT_EQ(static_cast<bool>(handle), c.want) << c.name;
  }
  EXPECT_FALSE(UniqueHandle()) << "default";
}

TEST_F(UniqueHandleTest, ClosesItsHandleWhenDestroyed) {
  {
    UniqueHandle held(OpenExclusive());
    ASSERT_TRUE(held);
    EXPECT_FALSE(IsFree()) << "an open exclusive handle must block a second open";
  }
  EXPECT_TRUE(IsFree());
}

TEST_F(UniqueHandleTest, MoveHandsOwnershipOverWithoutClosing) {
  UniqueHandle target;
  {
    UniqueHandle source(OpenExclusive());
    ASSERT_TRUE(source);
    const HANDLE raw = source.get();
    UniqueHandle moved(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(moved.get(), raw);
    target = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_EQ(target.get(), raw);
  }
  EXPECT_FALSE(IsFree()) << "the moved-from owners must not have closed the handle";
  target = UniqueHandle();
  EXPECT_TRUE(IsFree()) << "assigning over an owner closes what it held";
}

TEST_F(UniqueHandleTest, ResetClosesTheOldHandleAndKeepsTheNewOne) {
  UniqueHandle handle(OpenExclusive());
  ASSERT_TRUE(handle);
  const std::string other = dir_.Child("other.bin");
  HANDLE second = CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);

  handle.reset(second);
  EXPECT_TRUE(IsFree());
  EXPECT_EQ(handle.get(), second);

  handle.reset(second);  // the same handle again: must stay open
  EXPECT_EQ(handle.get(), second);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(second, &flags));
}

TEST_F(UniqueHandleTest, ReleaseGivesTheHandleUpUnclosed) {
  HANDLE raw = INVALID_HANDLE_VALUE;
  {
    UniqueHandle handle(OpenExclusive());
    ASSERT_TRUE(handle);
    raw = handle.release();
    EXPECT_FALSE(handle);
  }
  EXPECT_FALSE(IsFree()) << "a released handle belongs to the caller";
  CloseHandle(raw);
  EXPECT_TRUE(IsFree());
}

}  // namespace
