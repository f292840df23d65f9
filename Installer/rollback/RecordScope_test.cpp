// The scope check on records written by hand: a trusted record is still confined to its run's
// company folder, Start-menu folder, desktop links and registry keys.
#include "rollback/RecordScope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rollback {
namespace {

const std::string kRecordFolder = "C:\\ProgramData\\QVX\\Setup\\Norvane";
const std::string kCompany = "D:\\Apps\\QVX";
const std::string kStartMenu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\QVX";
const std::string kDesktop = "C:\\Users\\Public\\Desktop";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane_new";

RunScope ProductScope() {
  RunScope scope;
  scope.companyName = "QVX";
  scope.appName = "Norvane";
  scope.folders = {kCompany, kStartMenu};
  scope.linkFolders = {kDesktop};
  scope.keys = {{HKEY_LOCAL_MACHINE, kUninstall}};
  return scope;
}

std::vector<ChangeRecord> WithScope(const std::vector<ChangeRecord>& changes) {
  std::vector<ChangeRecord> records = ScopeRecords(ProductScope());
  records.insert(records.end(), changes.begin(), changes.end());
  return records;
}

TEST(RecordScopeTest, ChangesInsideTheRunsScopeAreAccepted) {
  const std::string backup = kCompany + "\\SetupBackup-1\\0\\0";
  const struct {
    const char* name;
    ChangeRecord record;
  } cases[] = {
      {"the company folder", ChangeRecord::CreatedSharedFolder(kCompany)},
      {"a folder above it", ChangeRecord::CreatedSharedFolder("D:\\Apps")},
      {"a folder above it that existed", ChangeRecord::FolderExisted("D:\\Apps")},
      {"the version folder", ChangeRecord::CreatedFolder(kCompany + "\\Norvane\\Norvane2.0")},
      {"a file, by another spelling", ChangeRecord::CreatedFile("d:\\APPS\\qvx\\quorvin.exe")},
      {"a file set aside", ChangeRecord::MovedAside(kCompany + "\\quorvin.exe", backup)},
      {"the backup folder", ChangeRecord::CreatedBackupFolder(kCompany + "\\SetupBackup-1")},
      {"a Start-menu link", ChangeRecord::CreatedFile(kStartMenu + "\\Norvane.lnk")},
      {"a desktop link set aside", ChangeRecord::MovedAside(kDesktop + "\\Norvane.lnk", backup)},
      {"the Uninstall key", ChangeRecord::CreatedKey(HKEY_LOCAL_MACHINE, kUninstall)},
      {"a key above it", ChangeRecord::CreatedKey(HKEY_LOCAL_MACHINE,
                                                  "Software\\Microsoft\\Windows\\CurrentVersion")},
      {"an Uninstall value", ChangeRecord::MissingRegistryValue(HKEY_LOCAL_MACHINE, kUninstall,
                                                                "DisplayName")},
      {"the record folder", ChangeRecord::MadeRecordFolder(kRecordFolder)},
      {"the company's record folder", ChangeRecord::MadeRecordFolder("C:\\ProgramData\\QVX")},
      {"the commit", ChangeRecord::Committed()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("", FindOutOfScope(WithScope({c.record}), kRecordFolder)) << c.name;
  }
}

TEST(RecordScopeTest, ARecordThatReachesOutsideItsScopeIsRefused) {
  const std::string backup = kCompany + "\\SetupBackup-1\\0\\0";
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const struct {
    const char* name;
    ChangeRecord record;
    const char* reason;
  } cases[] = {
      {"a folder at the root", ChangeRecord::CreatedFolder("C:\\HospitalData"),
       "it names C:\\HospitalData, outside its scope"},
      {"the system folder", ChangeRecord::MovedAside("C:\\windows\\system32\\poc.dll", backup),
       "it names C:\\windows\\system32\\poc.dll (backup "},
      {"a backup from outside",
       ChangeRecord::MovedAside(kCompany + "\\poc.dll", "C:\\users\\Public\\poc.dll"),
       "it names D:\\Apps\\QVX\\poc.dll (backup C:\\users\\Public\\poc.dll)"},
      {"another drive", ChangeRecord::CreatedFile("E:\\Apps\\QVX\\quorvin.exe"), "it names E:"},
      {"a \"..\" part", ChangeRecord::CreatedFolder(kCompany + "\\..\\..\\Windows"), "it names"},
      {"a \".\" part", ChangeRecord::CreatedFile(kCompany + "\\.\\quorvin.exe"), "it names"},
      {"an alternate data stream", ChangeRecord::CreatedFile(kCompany + "\\file:stream"),
       "it names"},
      {"a longer name with the same start", ChangeRecord::CreatedFile("D:\\Apps\\QVX2\\a.exe"),
       "it names"},
      {"a folder above the company folder, created as the run's own",
       ChangeRecord::CreatedFolder("D:\\Apps"), "it names D:\\Apps, outside"},
      {"a desktop file that is no link", ChangeRecord::CreatedFile(kDesktop + "\\run.exe"),
       "it names"},
      {"the desktop itself", ChangeRecord::CreatedFolder(kDesktop), "it names"},
      {"a device name", ChangeRecord::CreatedFile(kCompany + "\\nul"), "it names"},
      {"the Run key", ChangeRecord::MissingRegistryValue(HKEY_LOCAL_MACHINE, run, "PoC"),
       "it names HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run value PoC"},
      {"another HKLM key", ChangeRecord::CreatedKey(HKEY_LOCAL_MACHINE, "Software\\Other"),
       "it names HKEY_LOCAL_MACHINE\\Software\\Other, outside"},
      {"the Uninstall key of the user", ChangeRecord::CreatedKey(HKEY_CURRENT_USER, kUninstall),
       "it names HKEY_CURRENT_USER"},
      {"another product's Uninstall key",
       ChangeRecord::CreatedKey(HKEY_LOCAL_MACHINE, kUninstall + "2"), "it names"},
      {"another record folder", ChangeRecord::MadeRecordFolder("C:\\ProgramData\\Other"),
       "it names C:\\ProgramData\\Other"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0u, FindOutOfScope(WithScope({c.record}), kRecordFolder).find(c.reason))
        << c.name << ": " << FindOutOfScope(WithScope({c.record}), kRecordFolder);
  }
}

TEST(RecordScopeTest, TheScopeItselfMustBeTheProductsAndLocal) {
  RunScope otherProduct = ProductScope();
  otherProduct.appName = "Brenmoor";
  RunScope driveRoot = ProductScope();
  driveRoot.folders = {"C:\\"};
  RunScope uncFolder = ProductScope();
  uncFolder.folders = {"\\\\server\\share\\QVX"};
  RunScope climbing = ProductScope();
  climbing.folders = {"C:\\Apps\\..\\Windows"};
  const struct {
    const char* name;
    std::vector<ChangeRecord> records;
    const char* reason;
  } cases[] = {
      {"no scope at all", {ChangeRecord::CreatedFile(kCompany + "\\a.exe")}, "it names no scope"},
      {"a folder before the product",
       {ChangeRecord::ScopeFolder(kCompany), ChangeRecord::ScopeProduct("QVX", "Norvane")},
       "its scope does not begin with its product"},
      {"another product's record", ScopeRecords(otherProduct), "it is the record of QVX Brenmoor"},
      {"a drive root", ScopeRecords(driveRoot), "its scope names the folder C:\\"},
      {"a network folder", ScopeRecords(uncFolder), "its scope names the folder \\\\server"},
      {"a \"..\" part", ScopeRecords(climbing), "its scope names the folder C:\\Apps\\..\\Windows"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0u, FindOutOfScope(c.records, kRecordFolder).find(c.reason))
        << c.name << ": " << FindOutOfScope(c.records, kRecordFolder);
  }
  EXPECT_EQ("", FindOutOfScope({}, kRecordFolder)) << "an empty record names nothing";
}

}  // namespace
}  // namespace rollback
