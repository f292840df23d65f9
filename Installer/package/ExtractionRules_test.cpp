// The placement rules as tables: which folder a path word selects, what is recorded for a program,
// which names are shared programs, and what a helper-only install writes.
#include "package/ExtractionRules.h"

#include <gtest/gtest.h>

namespace {

const extraction::InstallFolders kFolders = {"C:\\Apps\\QVX\\", "C:\\Apps\\QVX\\Norvane\\",
                                             "C:\\Apps\\QVX\\Norvane\\Norvane1.6\\"};

TEST(ExtractionRulesTest, PathWordSelectsTheTargetFolderExactly) {
  struct Case {
    const char* name;
    const char* word;
    std::string want;
  };
  const Case kCases[] = {
      {"root", "root", kFolders.company},
      {"mainApp", "mainApp", kFolders.application},
      {"a folder name", "BrenmoorEHR", kFolders.version},
      {"empty", "", kFolders.version},
      {"blank", " ", kFolders.version},
      {"root in capitals", "ROOT", kFolders.version},
      {"mainApp in lower case", "mainapp", kFolders.version},
      {"root with a blank", "root ", kFolders.version},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.want, extraction::TargetFolderForPathWord(c.word, kFolders)) << c.name;
  }
}

TEST(ExtractionRulesTest, RecordedFolderKeepsOnlyTheFirstComponentOfThePath) {
  struct Case {
    const char* path;
    std::string want;
  };
  const Case kCases[] = {
      {"Webvane.exe", "C:\\T\\"},
      {"BrenmoorEHR\\Webvane.exe", "C:\\T\\BrenmoorEHR\\"},
      {"BrenmoorEHR\\bin\\x64\\Webvane.exe", "C:\\T\\BrenmoorEHR\\"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.want, extraction::ProgramFolder("C:\\T\\", c.path)) << c.path;
  }
}

TEST(ExtractionRulesTest, FileNameIsTheLowerCaseLastComponent) {
  EXPECT_EQ("webvane.exe", extraction::EntryFileName("BrenmoorEHR\\bin\\WebVane.EXE"));
  EXPECT_EQ("quorvin.exe", extraction::EntryFileName("Quorvin.exe"));
}

TEST(ExtractionRulesTest, SharedProgramsAreTheFourNamesInAnyCase) {
  struct Case {
    const char* name;
    bool shared;
    bool mainClient;
  };
  const Case kCases[] = {
      {"quorvin.exe", true, true},       {"QUORVIN.EXE", true, true},
      {"updrift.exe", true, false},      {"Unwindle.exe", true, false},
      {"commonry.dll", true, false},     {"quorvin.dll", false, false},
      {"quorvin.exe.bak", false, false}, {"webvane.exe", false, false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.shared, extraction::IsSharedProgram(c.name)) << c.name;
    EXPECT_EQ(c.mainClient, extraction::IsMainClient(c.name)) << c.name;
  }
}

TEST(ExtractionRulesTest, HelperOnlyInstallWritesNamesWithToolsAnywhere) {
  struct Case {
    const char* fullName;
    bool written;
  };
  const Case kCases[] = {
      {"C:\\QVX\\Norvane\\Norvane1.0\\Tools\\Config.exe", true},
      {"C:\\QVX\\Norvane\\Norvane1.0\\bin\\MyTOOLS.dll", true},
      {"C:\\DevTools\\QVX\\Norvane\\Norvane1.0\\am.pak", true},
      {"C:\\QVX\\Norvane\\Norvane1.0\\tool\\s.exe", false},
      {"C:\\QVX\\Norvane\\Norvane1.0\\Quorvin.exe", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.written, extraction::HelperWritesEntry(c.fullName)) << c.fullName;
  }
  EXPECT_TRUE(extraction::IsHelperOnly("TRUE"));
  EXPECT_TRUE(extraction::IsHelperOnly("true"));
  EXPECT_FALSE(extraction::IsHelperOnly("false"));
  EXPECT_FALSE(extraction::IsHelperOnly(""));
  EXPECT_FALSE(extraction::IsHelperOnly("TRUE "));
}

TEST(ExtractionRulesTest, BaseFolderIsTheApplicationFolderForOtherProducts) {
  EXPECT_EQ("C:\\QVX\\", extraction::BaseFolder("C:\\QVX\\", "Norvane"));
  EXPECT_EQ("C:\\QVX\\", extraction::BaseFolder("C:\\QVX\\", "NORVANE"));
  EXPECT_EQ("C:\\QVX\\Tallyset\\", extraction::BaseFolder("C:\\QVX\\", "Tallyset"));
}

TEST(ExtractionRulesTest, FolderIsAddedOnceWhateverItsCase) {
  std::vector<std::string> folders;
  EXPECT_TRUE(extraction::AddFolderOnce(&folders, "C:\\QVX\\Norvane"));
  EXPECT_TRUE(extraction::AddFolderOnce(&folders, "C:\\QVX"));
  EXPECT_FALSE(extraction::AddFolderOnce(&folders, "c:\\qvx\\NORVANE"));
  EXPECT_TRUE(extraction::AddFolderOnce(&folders, "C:\\QVX\\Norvane\\Norvane1.0"));
  EXPECT_FALSE(extraction::AddFolderOnce(&folders, "C:\\QVX"));
  EXPECT_EQ(3u, folders.size());
}

}  // namespace
