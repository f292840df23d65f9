// The shortcut step against the shell of the test prefix: the links are written with the shell
// link object and read back with it.
#include "engine/Shortcuts.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "engine/Installer.h"
#include "support/ComPtr.h"
#include "support/ScopedTempDir.h"
#include "LogReader.h"

namespace {

// A name no other test uses, for the Start-menu folder and desktop links this test makes.
std::string UniqueName(const std::string& base) {
  static int counter = 0;
  return base + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFileAt(const std::string& path) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  CloseHandle(file);
}

// What a link file holds, as the shell link object reads it.
struct LinkContents {
  bool loaded = false;
  std::string target;
  std::string arguments;
  std::string workingFolder;
  std::string iconFile;
  int iconIndex = -99;
};

LinkContents ReadLink(const std::string& linkFile) {
  LinkContents contents;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.put())))) {
    return contents;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) {
    return contents;
  }
  wchar_t widePath[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, widePath, MAX_PATH);
  if (FAILED(file->Load(widePath, STGM_READ))) return contents;
  char text[1024] = {};
  link->GetPath(text, sizeof(text), nullptr, SLGP_RAWPATH);
  contents.target = text;
  text[0] = '\0';
  link->GetArguments(text, sizeof(text));
  contents.arguments = text;
  text[0] = '\0';
  link->GetWorkingDirectory(text, sizeof(text));
  contents.workingFolder = text;
  text[0] = '\0';
  link->GetIconLocation(text, sizeof(text), &contents.iconIndex);
  contents.iconFile = text;
  contents.loaded = true;
  return contents;
}

class ShortcutsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_FALSE(temp_.path().empty());
    engine_.silent = 1;  // reports go to the log
    engine_.companyName = UniqueName("QVXLinks");
    engine_.appName = "Norvane";
    engine_.version = "1.6.0003.0000.0035";
    engine_.installRoot = temp_.path() + "\\" + engine_.companyName + "\\";
    engine_.startMenuShortcut = 1;
    versionFolder_ = engine_.GetVersionFolder();
    // The demo product as extraction leaves it: the uninstall program and the main client copy
    // in the company folder, the programs themselves in the version folder.
    ASSERT_TRUE(CreateDirectoryA(engine_.installRoot.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((engine_.installRoot + "Norvane").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(versionFolder_.c_str(), nullptr));
    for (const char* name : {"quorvin.exe", "unwindle.exe", "updrift.exe", "qvx.tallyset.exe",
                             "qvx.tallysetadmin.exe"}) {
      WriteFileAt(versionFolder_ + name);
    }
    WriteFileAt(engine_.installRoot + "quorvin.exe");
    WriteFileAt(engine_.installRoot + "unwindle.exe");
    engine_.shortcuts = {{"quorvin.exe", "Brenmoor", "BrenmoorEHR\\Webvane.exe", "4"},
                         {"unwindle.exe", "Uninstall Norvane", "", "unwindle.exe"}};
    engine_.exePaths = {{"quorvin.exe", versionFolder_},
                        {"updrift.exe", versionFolder_},
                        {"unwindle.exe", engine_.installRoot},
                        {"webvane.exe", versionFolder_ + "BrenmoorEHR\\"}};
  }
  void TearDown() override {
    DeleteTree(StartMenuFolder());
    for (const std::string& link : desktopLinks_) DeleteFileA(link.c_str());
    CoUninitialize();
  }

  std::string StartMenuFolder() const {
    return GetShellFolderPath(engine_.programsFolderId) + "\\" + engine_.companyName;
  }
  std::string StartMenuLink(const std::string& alias) const {
    return StartMenuFolder() + "\\" + alias + ".lnk";
  }
  // The desktop link for |alias|, removed when the test ends.
  std::string DesktopLink(const std::string& alias) {
    desktopLinks_.push_back(GetShellFolderPath(engine_.desktopFolderId) + "\\" + alias + ".lnk");
    return desktopLinks_.back();
  }
  // The main client entry alone, with an alias of its own (desktop links share one folder).
  std::string UseMainClientOnly(const std::string& argument, const std::string& icon) {
    const std::string alias = UniqueName("Brenmoor");
    engine_.shortcuts = {{"quorvin.exe", alias, argument, icon}};
    return alias;
  }

  CInstaller engine_;
  ScopedTempDir temp_;
  std::string versionFolder_;
  std::vector<std::string> desktopLinks_;
};

TEST_F(ShortcutsTest, DemoConfigurationLinks) {
  const LogSince log;
  engine_.CreateAppShortCuts();

  const LinkContents mainClient = ReadLink(StartMenuLink("Brenmoor"));
  ASSERT_TRUE(mainClient.loaded);
  EXPECT_EQ(engine_.installRoot + "quorvin.exe", mainClient.target)
      << "the company folder copy, not the version folder's";
  EXPECT_EQ("BrenmoorEHR\\Webvane.exe", mainClient.arguments);
  EXPECT_EQ(engine_.installRoot + "quorvin.exe", mainClient.iconFile);
  EXPECT_EQ(4, mainClient.iconIndex);
  EXPECT_EQ("", mainClient.workingFolder);

  const std::string arguments = "\"" + temp_.path() + "\" \"AppInfo.xml\" \"" +
                                engine_.companyName + "\" \"Norvane\" \"FALSE\"";
  const LinkContents uninstall = ReadLink(StartMenuLink("Uninstall Norvane"));
  ASSERT_TRUE(uninstall.loaded);
  EXPECT_EQ(engine_.installRoot + "unwindle.exe", uninstall.target);
  EXPECT_EQ(arguments, uninstall.arguments) << "the arguments alone, the program unquoted";
  EXPECT_EQ(engine_.installRoot + "unwindle.exe", uninstall.iconFile);
  EXPECT_EQ(0, uninstall.iconIndex);

  EXPECT_EQ("\"" + engine_.installRoot + "unwindle.exe\" " + arguments, engine_.uninstallCommand);
  EXPECT_EQ(engine_.installRoot + "unwindle.exe", engine_.uninstallIcon);
  EXPECT_FALSE(Exists(DesktopLink("Brenmoor"))) << "no desktop link without -t";
  EXPECT_TRUE(log.Has("Enter function CreateAppShortCuts().\r\n"));
  EXPECT_TRUE(log.Has("Leave function CreateAppShortCuts().\r\n"));
}

TEST_F(ShortcutsTest, SecondRunReplacesTheLinks) {
  engine_.CreateAppShortCuts();
  engine_.silentUninstall = 1;
  engine_.shortcuts[0].argument = "-second";
  engine_.CreateAppShortCuts();

  EXPECT_EQ("-second", ReadLink(StartMenuLink("Brenmoor")).arguments);
  const std::string arguments = ReadLink(StartMenuLink("Uninstall Norvane")).arguments;
  EXPECT_EQ("\"TRUE\"", arguments.substr(arguments.size() - 6)) << arguments;
}

TEST_F(ShortcutsTest, DesktopLinkOnlyWithMinusTAndTheBrowserClient) {
  const struct {
    const char* name;
    int desktopShortcut;
    const char* argument;
    bool want;
  } kCases[] = {
      {"-t and the browser client", 1, "BrenmoorEHR\\Webvane.exe", true},
      {"no -t", 0, "BrenmoorEHR\\Webvane.exe", false},
      {"-t and another argument", 1, "-x", false},
  };
  for (const auto& c : kCases) {
    const std::string alias = UseMainClientOnly(c.argument, "4");
    engine_.desktopShortcut = c.desktopShortcut;

    engine_.CreateAppShortCuts();

    EXPECT_TRUE(Exists(StartMenuLink(alias))) << c.name;
    const LinkContents desktop = ReadLink(DesktopLink(alias));
    ASSERT_EQ(c.want, desktop.loaded) << c.name;
    if (!c.want) continue;
    EXPECT_EQ(engine_.installRoot + "quorvin.exe", desktop.target) << c.name;
    EXPECT_EQ(c.argument, desktop.arguments) << c.name;
    EXPECT_EQ(engine_.installRoot + "quorvin.exe", desktop.iconFile) << c.name;
    EXPECT_EQ(4, desktop.iconIndex) << c.name;
  }
}

TEST_F(ShortcutsTest, MainClientIconIsAnIndexOfTheTarget) {
  const struct {
    const char* icon;
    int want;
  } kCases[] = {{"4", 4}, {"4a", 0}, {"", 0}, {"quorvin.ico", 0}};
  engine_.exePaths["quorvin.ico"] = versionFolder_;
  for (const auto& c : kCases) {
    const std::string alias = UseMainClientOnly("", c.icon);
    engine_.CreateAppShortCuts();
    const LinkContents link = ReadLink(StartMenuLink(alias));
    ASSERT_TRUE(link.loaded) << "icon '" << c.icon << "'";
    EXPECT_EQ(engine_.installRoot + "quorvin.exe", link.iconFile) << "icon '" << c.icon << "'";
    EXPECT_EQ(c.want, link.iconIndex) << "icon '" << c.icon << "'";
  }
}

TEST_F(ShortcutsTest, ConfigurationToolsWithAndWithoutVistA) {
  engine_.exePaths["qvx.tallyset.exe"] = versionFolder_;
  engine_.exePaths["qvx.tallysetadmin.exe"] = versionFolder_;
  for (const int vista : {0, 1}) {
    engine_.vistaEnabled = vista;
    engine_.shortcuts = {{"qvx.tallyset.exe", "Tallyset", "-config", "qvx.tallyset.exe"},
                         {"qvx.tallysetadmin.exe", "Tallyset Admin", "", "qvx.tallysetadmin.exe"}};

    engine_.CreateAppShortCuts();

    const LinkContents tool = ReadLink(StartMenuLink("Tallyset"));
    const LinkContents admin = ReadLink(StartMenuLink("Tallyset Admin"));
    ASSERT_TRUE(tool.loaded && admin.loaded) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "-config", tool.arguments) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "", admin.arguments) << "vista " << vista;
    EXPECT_EQ(versionFolder_ + "qvx.tallyset.exe", tool.target) << "vista " << vista;
    EXPECT_EQ(versionFolder_ + "qvx.tallyset.exe", tool.iconFile) << "vista " << vista;
    EXPECT_EQ(0, tool.iconIndex) << "vista " << vista;
    EXPECT_EQ("", engine_.uninstallCommand);
  }
}

TEST_F(ShortcutsTest, AliasWithBackslashMakesASubFolder) {
  engine_.shortcuts = {{"updrift.exe", "Tools\\Update Brenmoor", "", ""}};
  engine_.CreateAppShortCuts();
  const LinkContents link = ReadLink(StartMenuFolder() + "\\Tools\\Update Brenmoor.lnk");
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(versionFolder_ + "updrift.exe", link.target);
}

TEST_F(ShortcutsTest, StartMenuShortcutClearMakesNoLink) {
  const std::string alias = UseMainClientOnly("BrenmoorEHR\\Webvane.exe", "4");
  engine_.shortcuts.push_back({"unwindle.exe", "Uninstall Norvane", "", "unwindle.exe"});
  engine_.startMenuShortcut = 0;
  engine_.desktopShortcut = 1;

  engine_.CreateAppShortCuts();

  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_FALSE(Exists(DesktopLink(alias)));
  EXPECT_EQ("", engine_.uninstallCommand);
}

TEST_F(ShortcutsTest, ProgramNotInThePackageGetsNoLinkAndNoReport) {
  engine_.shortcuts.push_back({"absent.exe", "Absent", "", ""});
  const LogSince log;
  engine_.CreateAppShortCuts();
  EXPECT_TRUE(Exists(StartMenuLink("Brenmoor")));
  EXPECT_FALSE(Exists(StartMenuLink("Absent")));
  EXPECT_FALSE(log.Has("Could not"));
}

TEST_F(ShortcutsTest, StartMenuFolderThatCannotBeMadeIsReported) {
  // A file where the Start-menu company folder belongs: no folder can be made there.
  WriteFileAt(StartMenuFolder());
  const LogSince log;

  engine_.CreateAppShortCuts();

  for (const char* alias : {"Brenmoor", "Uninstall Norvane"}) {
    EXPECT_TRUE(log.Has("Could not create Start menu directory " + StartMenuFolder() + "\\" +
                        alias + ".\r\n"))
        << alias << ": reported through the engine, a log line in an unattended run";
  }
  EXPECT_FALSE(Exists(StartMenuLink("Brenmoor")));
  EXPECT_TRUE(log.Has("Leave function CreateAppShortCuts()."));
}

TEST_F(ShortcutsTest, CreateShellLinkWritesWhatItIsGiven) {
  const std::string icon = versionFolder_ + "updrift.exe";
  CreateShellLink(versionFolder_ + "quorvin.exe", engine_.companyName + "\\Direct", temp_.path(),
                  "-a \"b c\"", icon, -1, engine_.programsFolderId);
  const LinkContents link = ReadLink(StartMenuLink("Direct"));
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(versionFolder_ + "quorvin.exe", link.target);
  EXPECT_EQ(temp_.path(), link.workingFolder);
  EXPECT_EQ("-a \"b c\"", link.arguments);
  EXPECT_EQ(icon, link.iconFile);
  EXPECT_EQ(0, link.iconIndex);
}

}  // namespace
