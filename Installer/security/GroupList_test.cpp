#include "security/GroupList.h"

#include <gtest/gtest.h>

namespace {

TEST(GroupListTest, PiecesAreTheTextsBetweenSeparatorsUntrimmed) {
  struct Case {
    const char* name;
    const char* groups;
    std::vector<std::string> pieces;
  } cases[] = {
      {"two names", "a|b", {"a", "b"}},
      {"two separators in a row", "a||b", {"a", "", "b"}},
      {"separator at the end", "a|", {"a", ""}},
      {"separator at the start", "|a", {"", "a"}},
      {"empty list", "", {""}},
      {"blanks are kept", " Users | SYSTEM", {" Users ", " SYSTEM"}},
      {"the default list", "Users|SYSTEM|Administrators", {"Users", "SYSTEM", "Administrators"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.pieces, SplitGroupList(c.groups)) << c.name;
}

}  // namespace
