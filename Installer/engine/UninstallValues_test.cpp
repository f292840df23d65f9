// The Uninstall entry's values as the step writes them, worked out from the engine's facts.
#include "engine/UninstallValues.h"

#include <gtest/gtest.h>

namespace {

const char kAsking[] =
    "\"C:\\Apps\\QVX\\unwindle.exe\" \"C:\\Apps\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"FALSE\"";
const char kQuiet[] =
    "\"C:\\Apps\\QVX\\unwindle.exe\" \"C:\\Apps\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"TRUE\"";

SYSTEMTIME Date(WORD year, WORD month, WORD day) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = 23;
  return time;
}

// One value as "name type text-or-number", so a whole entry compares as one list.
std::string Describe(const UninstallValue& value) {
  if (value.type == REG_DWORD) return value.name + " REG_DWORD " + std::to_string(value.number);
  return value.name + (value.type == REG_SZ ? " REG_SZ " : " <other type> ") + value.text;
}

std::vector<std::string> DescribeAll(const std::vector<UninstallValue>& values) {
  std::vector<std::string> lines;
  for (const UninstallValue& value : values) lines.push_back(Describe(value));
  return lines;
}

UninstallEntryFacts DemoFacts() {
  UninstallEntryFacts facts;
  facts.appName = "Norvane";
  facts.uninstallCommand = kAsking;
  facts.uninstallIcon = "C:\\Apps\\QVX\\unwindle.exe";
  facts.version = "1.6.0003.0000.0035";
  facts.companyName = "QVX";
  facts.installRoot = "C:\\Apps\\QVX\\";
  facts.localTime = Date(2026, 3, 7);
  facts.placedBytes = 10 * 1024 + 1;
  return facts;
}

TEST(UninstallValuesTest, EveryValueInItsOrder) {
  EXPECT_EQ(DescribeAll(UninstallEntryValues(DemoFacts())),
            (std::vector<std::string>{
                "DisplayName REG_SZ Norvane",
                std::string("UninstallString REG_SZ ") + kAsking,
                "DisplayIcon REG_SZ C:\\Apps\\QVX\\unwindle.exe",
                "DisplayVersion REG_SZ 1.6.0003.0000.0035",
                "Publisher REG_SZ QVX",
                "InstallLocation REG_SZ C:\\Apps\\QVX\\",
                "InstallDate REG_SZ 20260307",
                "EstimatedSize REG_DWORD 11",
                "NoModify REG_DWORD 1",
                "NoRepair REG_DWORD 1",
                std::string("QuietUninstallString REG_SZ ") + kQuiet,
            }));
}

TEST(UninstallValuesTest, ValuesLeftOut) {
  UninstallEntryFacts noIcon = DemoFacts();
  noIcon.uninstallIcon.clear();
  UninstallEntryFacts foreignCommand = DemoFacts();
  foreignCommand.uninstallCommand = "C:\\Apps\\QVX\\unwindle.exe /remove";
  const struct {
    const char* name;
    UninstallEntryFacts facts;
    const char* missing;
  } kCases[] = {
      {"no icon, no DisplayIcon", noIcon, "DisplayIcon"},
      {"a command whose last argument is not TRUE or FALSE has no quiet form", foreignCommand,
       "QuietUninstallString"},
  };
  for (const auto& c : kCases) {
    const std::vector<UninstallValue> values = UninstallEntryValues(c.facts);
    EXPECT_EQ(UninstallEntryValues(DemoFacts()).size() - 1, values.size()) << c.name;
    for (const UninstallValue& value : values) EXPECT_NE(c.missing, value.name) << c.name;
  }
}

TEST(UninstallValuesTest, QuietCommand) {
  const struct {
    const char* name;
    std::string command;
    std::string want;
  } kCases[] = {
      {"FALSE becomes TRUE", kAsking, kQuiet},
      {"TRUE stays", kQuiet, kQuiet},
      {"true in any case stays", "\"u.exe\" \"C:\" \"True\"", "\"u.exe\" \"C:\" \"True\""},
      {"only the last argument changes", "u.exe \"FALSE\" \"X\" \"FALSE\"",
       "u.exe \"FALSE\" \"X\" \"TRUE\""},
      {"a last argument that only ends in FALSE", "u.exe \"NOTFALSE\"", ""},
      {"FALSE without its quotes", "u.exe FALSE", ""},
      {"no arguments at all", "u.exe", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, QuietUninstallCommand(c.command)) << c.name;
}

TEST(UninstallValuesTest, SizeInKiBRoundedUp) {
  const struct {
    uint64_t bytes;
    DWORD want;
  } kCases[] = {
      {0, 0},          {1, 1},
      {1024, 1},       {1025, 2},
      {250464229, 244594},  // the size of the shipped package's archive
      {0xFFFFFFFFull * 1024, 0xFFFFFFFFu},
      {0xFFFFFFFFull * 1024 + 1, 0xFFFFFFFFu},  // past a DWORD: the largest it holds
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, EstimatedSizeKiB(c.bytes)) << c.bytes;
}

TEST(UninstallValuesTest, InstallDateAndKey) {
  EXPECT_EQ("20260307", InstallDateText(Date(2026, 3, 7)));
  EXPECT_EQ("19991231", InstallDateText(Date(1999, 12, 31)));
  EXPECT_EQ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane_new",
            UninstallKeyPath("Norvane"));
}

}  // namespace
