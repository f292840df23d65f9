// The product's mutex: its name for company and application names of every kind, and what a
// second holder, an abandoned mutex and a name taken by another kind of object give.
#include "support/ProductMutex.h"
#include "support/ProductMutexTesting.h"

#include <gtest/gtest.h>

#include <thread>

#include "LogReader.h"

namespace {

TEST(ProductMutexNameTest, NamesAreSafeAndOnePerProduct) {
  if (GetACP() != 1252) GTEST_SKIP() << "the cases are written in code page 1252";
  const struct {
    const char* name;
    const char* company;
    const char* app;
    const char* want;
  } kCases[] = {
      {"the demo product", "QVX", "Norvane", "Global\\QvxSetup.qvx.norvane"},
      {"the case does not matter", "qvx", "NORVANE", "Global\\QvxSetup.qvx.norvane"},
      {"blanks, hyphens and underscores stay", "Brenmoor Health", "Nor-vane_2",
       "Global\\QvxSetup.brenmoor health.nor-vane_2"},
      {"a backslash and dots are escaped", "Q.V", "..\\Esc", "Global\\QvxSetup.q%2Ev.%2E%2E%5Cesc"},
      {"the escape sign itself is escaped", "100%", "A:B/C", "Global\\QvxSetup.100%25.a%3Ab%2Fc"},
      {"letters of the code page are folded and escaped as UTF-8", "SANT\xC9", "\x80",
       "Global\\QvxSetup.sant%C3%A9.%E2%82%AC"},
      {"so are their other cases", "sant\xE9", "\x80", "Global\\QvxSetup.sant%C3%A9.%E2%82%AC"},
      {"\xC4rzte, \x8Cuvre and \x9F as \xE4rzte, \x9Cuvre and \xFF", "\xC4rzte \x8Cuvre", "\x9F",
       "Global\\QvxSetup.%C3%A4rzte %C5%93uvre.%C3%BF"},
  };
  for (const auto& c : kCases) {
    const std::string name = ProductMutexName(c.company, c.app);
    EXPECT_EQ(c.want, name) << c.name;
    EXPECT_EQ(std::string::npos, name.find('\\', sizeof("Global\\") - 1)) << c.name;
  }
}

TEST(ProductMutexNameTest, DifferentProductsGetDifferentNames) {
  const struct {
    const char* name;
    const char* company[2];
    const char* app[2];
  } kCases[] = {
      {"another product of the company", {"QVX", "QVX"}, {"Norvane", "Tallyset"}},
      {"the same product of another company", {"QVX", "Brenmoor"}, {"Norvane", "Norvane"}},
      {"a dot moved across the separator", {"a.b", "a"}, {"c", "b.c"}},
      {"an escape written out", {"a.", "a%2E"}, {"b", "b"}},
  };
  for (const auto& c : kCases) {
    EXPECT_NE(ProductMutexName(c.company[0], c.app[0]), ProductMutexName(c.company[1], c.app[1]))
        << c.name;
  }
}

TEST(ProductMutexNameTest, LongNamesStayWithinTheLimitAndApart) {
  const std::string company(120, 'Q');
  const std::string first = ProductMutexName(company, std::string(200, '.') + "1");
  const std::string second = ProductMutexName(company, std::string(200, '.') + "2");
  EXPECT_EQ(259u, first.size());
  EXPECT_EQ(259u, second.size());
  EXPECT_NE(first, second);
  EXPECT_EQ(first, ProductMutexName(company, std::string(200, '.') + "1")) << "the same every time";
  EXPECT_EQ('~', first[259 - 17]);
  // The mutex can be made under that name.
  ProductMutex mutex;
  EXPECT_EQ(ProductLockState::kHeld, mutex.TryAcquire(first));
}

class ProductMutexTest : public testing::Test {
 protected:
  // A name no other test and no other process uses.
  std::string UniqueName() {
    return ProductMutexName("QvxTest", std::to_string(GetCurrentProcessId()) + "_" +
                                           std::to_string(++counter_));
  }
  int counter_ = 0;
};

TEST_F(ProductMutexTest, SecondRunIsTurnedAwayUntilTheFirstEnds) {
  const std::string name = UniqueName();
  {
    ProductMutex first;
    ASSERT_EQ(ProductLockState::kHeld, first.TryAcquire(name));
    EXPECT_TRUE(first.held());
    EXPECT_EQ(ProductLockState::kHeld, first.TryAcquire(name)) << "asking again changes nothing";

    EXPECT_EQ(ProductLockState::kBusy, TryLockFromAnotherThread(name));
    EXPECT_EQ(ProductLockState::kBusy, TryLockFromAnotherThread(name))
        << "a refused run holds nothing";
    EXPECT_EQ(ProductLockState::kHeld, TryLockFromAnotherThread(UniqueName()))
        << "another product";
  }
  EXPECT_EQ(ProductLockState::kHeld, TryLockFromAnotherThread(name)) << "after the first ended";
}

TEST_F(ProductMutexTest, MutexOfAKilledRunIsTaken) {
  const std::string name = UniqueName();
  // The mutex stays in existence through this handle while its holder ends without releasing it.
  UniqueHandle keepAlive(CreateMutexA(nullptr, FALSE, name.c_str()));
  ASSERT_TRUE(keepAlive);
  std::thread([&] { ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(keepAlive.get(), 0)); }).join();

  ProductMutex next;
  EXPECT_EQ(ProductLockState::kHeld, next.TryAcquire(name));
  EXPECT_TRUE(next.held());
}

TEST_F(ProductMutexTest, NameTakenByAnotherObjectIsUnavailableAndLogged) {
  const std::string name = UniqueName();
  UniqueHandle squatter(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
  ASSERT_TRUE(squatter);
  const LogSince log;

  ProductMutex mutex;
  EXPECT_EQ(ProductLockState::kUnavailable, mutex.TryAcquire(name));
  EXPECT_FALSE(mutex.held());
  EXPECT_TRUE(log.Has("CreateMutexExA failed for " + name + " with error 6.")) << log.Text();
}

}  // namespace
