#include "xml/ComText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ComTextTest, AnsiTextSurvivesTheTripThroughABstr) {
  struct Case {
    const char* name;
    std::string text;
    std::wstring wide;  // what the DOM sees
  };
  const Case cases[] = {
      {"empty", "", L""},
      {"plain", "HostList", L"HostList"},
      {"blanks kept at both ends", " a b ", L" a b "},
      {"an embedded NUL is not an end", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
      {"markup characters", "<x a=\"1\">&amp;</x>", L"<x a=\"1\">&amp;</x>"},
  };
  for (const Case& c : cases) {
    const UniqueBstr bstr = AnsiToBstr(c.text);
    ASSERT_NE(bstr.get(), nullptr) << c.name << ": the DOM gets a real string, even when empty";
    EXPECT_EQ(std::wstring(bstr.get(), SysStringLen(bstr.get())), c.wide) << c.name;
    EXPECT_EQ(BstrToAnsi(bstr.get()), c.text) << c.name;
  }
}

TEST(ComTextTest, NonAsciiCharactersUseTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the cases are written for code page 1252";
  const std::string umlaut = "M\xFCller \x80";  // Müller €
  const UniqueBstr bstr = AnsiToBstr(umlaut);
  EXPECT_EQ(std::wstring(bstr.get(), SysStringLen(bstr.get())), L"M\u00FCller \u20AC");
  EXPECT_EQ(BstrToAnsi(bstr.get()), umlaut);
  // A character the code page lacks becomes its default character instead of vanishing.
  EXPECT_EQ(WideToAnsi(L"a\u4E2Db", 3), "a?b");
}

TEST(ComTextTest, NullBstrReadsAsEmpty) {
  EXPECT_EQ(BstrToAnsi(nullptr), "");
  EXPECT_EQ(WideToAnsi(nullptr, 5), "");
}

TEST(ComTextTest, VariantFromAnsiHoldsAnOwnedBstr) {
  UniqueVariant value = UniqueVariant::FromAnsi("C:\\Apps\\AppInfo.xml");
  ASSERT_EQ(value.get().vt, VT_BSTR);
  EXPECT_EQ(BstrToAnsi(value.get().bstrVal), "C:\\Apps\\AppInfo.xml");

  // Moving hands the string over: the source is left empty, so it is freed exactly once.
  UniqueVariant moved = std::move(value);
  EXPECT_EQ(value.get().vt, VT_EMPTY);
  ASSERT_EQ(moved.get().vt, VT_BSTR);
  EXPECT_EQ(BstrToAnsi(moved.get().bstrVal), "C:\\Apps\\AppInfo.xml");
}

}  // namespace
