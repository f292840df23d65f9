// The links, icon indexes and uninstall command line of the shortcut step, worked out without
// the file system.
#include "engine/ShortcutPlan.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <set>

#include "engine/Installer.h"
#include "framework/TestTools.h"

namespace {

const char kRoot[] = "C:\\Program Files\\QVX\\";
const char kVersionFolder[] = "C:\\Program Files\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\";

// The demo product after extraction: the shortcut entries of its configuration and the folders
// its programs landed in.
void SetUpDemo(CInstaller& engine) {
  engine.installRoot = kRoot;
  engine.companyName = "QVX";
  engine.appName = "Norvane";
  engine.startMenuShortcut = 1;
  engine.programsFolderId = CSIDL_COMMON_PROGRAMS;
  engine.desktopFolderId = CSIDL_COMMON_DESKTOPDIRECTORY;
  engine.shortcuts = {{"quorvin.exe", "Brenmoor", "BrenmoorEHR\\Webvane.exe", "4"},
                      {"unwindle.exe", "Uninstall Norvane", "", "unwindle.exe"}};
  engine.exePaths = {{"quorvin.exe", kVersionFolder},
                     {"updrift.exe", kVersionFolder},
                     {"unwindle.exe", kRoot},
                     {"webvane.exe", std::string(kVersionFolder) + "BrenmoorEHR\\"}};
}

// Every program the demo package carries, at the place extraction put it.
PathExists DemoFiles() {
  const std::set<std::string> files = {
      std::string(kRoot) + "quorvin.exe", std::string(kRoot) + "unwindle.exe",
      std::string(kVersionFolder) + "quorvin.exe", std::string(kVersionFolder) + "unwindle.exe"};
  return [files](const std::string& path) { return files.count(path) != 0; };
}

const char kDemoUninstallArguments[] =
    "\"C:\\Program Files\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"FALSE\"";

TEST(MainClientIconIndexTest, DigitsOnlyGiveTheirValue) {
  const struct {
    const char* name;
    const char* icon;
    int want;
  } kCases[] = {
      {"a digit", "4", 4},
      {"several digits", "12", 12},
      {"leading zero", "07", 7},
      {"digits then a letter", "4a", 0},
      {"letter then digits", "a4", 0},
      {"empty", "", 0},
      {"a file name", "quorvin.ico", 0},
      {"a sign is no digit", "-3", 0},
      {"too large for an index", "99999999999", 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.want, MainClientIconIndex(c.icon)) << c.name;
}

TEST(UninstallBaseFolderTest, FolderAboveTheCompanyName) {
  const struct {
    const char* name;
    const char* root;
    const char* company;
    const char* want;
  } kCases[] = {
      {"default folder", "C:\\Program Files\\QVX\\", "QVX", "C:\\Program Files"},
      {"no company name in the folder", "D:\\Apps\\", "QVX", "D:\\Apps\\"},
      {"last occurrence counts", "C:\\QVX\\Data\\QVX\\", "QVX", "C:\\QVX\\Data"},
      {"case-sensitive", "C:\\Apps\\qvx\\", "QVX", "C:\\Apps\\qvx\\"},
      {"name at position 1", "\\QVX\\", "QVX", "\\QVX\\"},
      {"name at position 0", "QVX\\", "QVX", "QVX\\"},
      {"name at position 2", "C:\\QVX\\", "QVX", "C:"},
      {"empty company name", "C:\\Apps\\", "", "C:\\Apps\\"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.want, UninstallBaseFolder(c.root, c.company)) << c.name;
  }
}

TEST(UninstallArgumentsTest, FiveQuotedArguments) {
  EXPECT_EQ(kDemoUninstallArguments, UninstallArguments(kRoot, "QVX", "Norvane", false));
  // The base folder's last backslash is doubled so that it does not escape the closing quote.
  EXPECT_EQ("\"D:\\Apps\\\\\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"TRUE\"",
            UninstallArguments("D:\\Apps\\", "QVX", "Norvane", true));
}

// The uninstall program must receive five arguments whatever the company folder: the command line
// is split here by the system's own splitter, as the started program's runtime splits it.
TEST(UninstallArgumentsTest, SplitIntoFiveArgumentsWithTheBaseFolderAsItIs) {
  const struct {
    const char* name;
    const char* root;
    const char* wantBase;
  } kCases[] = {
      {"the wizard's C:\\Data (no company name, trailing backslash)", "C:\\Data\\", "C:\\Data\\"},
      {"default folder (no trailing backslash)", "C:\\Program Files\\QVX\\", "C:\\Program Files"},
      {"blanks and a trailing backslash", "D:\\My Apps\\Data Files\\", "D:\\My Apps\\Data Files\\"},
      {"drive root", "E:\\", "E:\\"},
      {"drive root above the company folder", "C:\\QVX\\", "C:"},
      {"two trailing backslashes", "C:\\Data\\\\", "C:\\Data\\\\"},
      {"UNC share", "\\\\server\\share\\", "\\\\server\\share\\"},
  };
  for (const auto& c : kCases) {
    for (const bool silent : {false, true}) {
      const std::string program = std::string(c.root) + "unwindle.exe";
      const std::string arguments = UninstallArguments(c.root, "QVX", "Norvane", silent);
      const std::vector<std::string> want = {program, c.wantBase, "AppInfo.xml", "QVX", "Norvane",
                                             silent ? "TRUE" : "FALSE"};
      EXPECT_EQ(want, SplitCommandLine(UninstallCommandLine(program, arguments)))
          << c.name << ": UninstallString";
      // The link passes its arguments after the target path, which the shell quotes.
      EXPECT_EQ(want, SplitCommandLine("\"" + program + "\" " + arguments)) << c.name << ": link";
    }
  }
}

TEST(UninstallCommandLineTest, ProgramPathIsQuoted) {
  EXPECT_EQ(
      "\"C:\\Program Files\\QVX\\unwindle.exe\" \"C:\\Program Files\" \"AppInfo.xml\" \"QVX\" "
      "\"Norvane\" \"FALSE\"",
      UninstallCommandLine("C:\\Program Files\\QVX\\unwindle.exe", kDemoUninstallArguments));
}

std::string Describe(const ShortcutLink& link) {
  return link.linkName + " -> " + link.target + " [" + link.arguments + "] icon " + link.iconFile +
         "," + std::to_string(link.iconIndex) + " folder " + std::to_string(link.folderId) +
         " refresh '" + link.refreshDesktopAlias + "'";
}

TEST(PlanShortcutLinksTest, DemoConfiguration) {
  CInstaller engine;
  SetUpDemo(engine);

  const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, DemoFiles());

  const std::vector<std::string> want = {
      // The main client starts the copy in the company folder with its own icon 4.
      "QVX\\Brenmoor -> C:\\Program Files\\QVX\\quorvin.exe [BrenmoorEHR\\Webvane.exe] icon ,4 "
      "folder 23 refresh 'Brenmoor'",
      std::string("QVX\\Uninstall Norvane -> C:\\Program Files\\QVX\\unwindle.exe [") +
          kDemoUninstallArguments +
          "] icon C:\\Program Files\\QVX\\unwindle.exe,-1 folder 23 refresh ''",
  };
  std::vector<std::string> got;
  for (const ShortcutLink& link : links) got.push_back(Describe(link));
  EXPECT_EQ(want, got);

  EXPECT_EQ(std::string("\"C:\\Program Files\\QVX\\unwindle.exe\" ") + kDemoUninstallArguments,
            engine.uninstallCommand);
  EXPECT_EQ("C:\\Program Files\\QVX\\unwindle.exe", engine.uninstallIcon);
  EXPECT_EQ(kDemoUninstallArguments, engine.shortcuts[1].argument)
      << "the configured argument of the uninstall entry is replaced";
}

TEST(PlanShortcutLinksTest, DesktopLinkOnlyWithTheFlagAndTheBrowserClient) {
  const struct {
    const char* name;
    int desktopShortcut;
    const char* argument;
    bool desktopLink;
    bool refresh;
  } kCases[] = {
      {"-t and the browser client", 1, "BrenmoorEHR\\Webvane.exe", true, true},
      {"argument compared without case", 1, "brenmoorehr\\WEBVANE.EXE", true, true},
      {"no -t", 0, "BrenmoorEHR\\Webvane.exe", false, true},
      {"another argument", 1, "-x", false, false},
      {"no argument", 1, "", false, false},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.desktopShortcut = c.desktopShortcut;
    engine.shortcuts[0].argument = c.argument;

    const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, DemoFiles());

    ASSERT_EQ(c.desktopLink ? 3u : 2u, links.size()) << c.name;
    const ShortcutLink& lastMainClientLink = links[c.desktopLink ? 1 : 0];
    if (c.desktopLink) {
      EXPECT_EQ("Brenmoor", links[1].linkName) << c.name << ": the alias alone, on the desktop";
      EXPECT_EQ(CSIDL_COMMON_DESKTOPDIRECTORY, links[1].folderId) << c.name;
      EXPECT_EQ(links[0].target, links[1].target) << c.name;
      EXPECT_EQ(links[0].arguments, links[1].arguments) << c.name;
      EXPECT_EQ(4, links[1].iconIndex) << c.name;
      EXPECT_EQ("", links[0].refreshDesktopAlias) << c.name << ": refreshed once, at the end";
    }
    EXPECT_EQ(c.refresh ? "Brenmoor" : "", lastMainClientLink.refreshDesktopAlias) << c.name;
  }
}

TEST(PlanShortcutLinksTest, StartMenuShortcutClearPlansNothing) {
  CInstaller engine;
  SetUpDemo(engine);
  engine.startMenuShortcut = 0;
  engine.desktopShortcut = 1;
  engine.shortcuts.push_back({"absent.exe", "Absent", "", "absent.ico"});

  EXPECT_TRUE(PlanShortcutLinks(engine, DemoFiles()).empty());
  EXPECT_EQ("", engine.uninstallCommand);
  EXPECT_EQ("", engine.uninstallIcon);
  // The lookups still happen, and a name exePaths lacked is added without a folder.
  ASSERT_EQ(1u, engine.exePaths.count("absent.exe"));
  EXPECT_EQ("", engine.exePaths["absent.exe"]);
  EXPECT_EQ(1u, engine.exePaths.count("absent.ico"));
}

TEST(PlanShortcutLinksTest, ProgramNotInThePackageIsSkipped) {
  CInstaller engine;
  SetUpDemo(engine);
  engine.shortcuts.insert(engine.shortcuts.begin(), {"updrift.exe", "Update", "", ""});
  engine.shortcuts.push_back({"unknown.exe", "Unknown", "", ""});
  std::vector<std::string> asked;
  const PathExists exists = [&asked](const std::string& path) {
    asked.push_back(path);
    return DemoFiles()(path);
  };

  const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, exists);

  ASSERT_EQ(2u, links.size());
  EXPECT_EQ("QVX\\Brenmoor", links[0].linkName);
  EXPECT_EQ("QVX\\Uninstall Norvane", links[1].linkName);
  // The listed program is looked for in its folder, the unlisted one by its bare name.
  EXPECT_EQ((std::vector<std::string>{std::string(kVersionFolder) + "updrift.exe",
                                      std::string(kRoot) + "unwindle.exe", "unknown.exe"}),
            asked)
      << "the main client is linked without asking";
}

TEST(PlanShortcutLinksTest, ConfigurationToolsGetMinusVWithVistA) {
  for (const int vista : {0, 1}) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.vistaEnabled = vista;
    engine.shortcuts = {{"qvx.tallyset.exe", "Tallyset", "-config", "qvx.tallyset.exe"},
                        {"QVX.TallysetAdmin.exe", "Tallyset Admin", "", "admin.ico"},
                        {"updrift.exe", "Update", "-config", ""}};
    const PathExists everything = [](const std::string&) { return true; };

    const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, everything);

    ASSERT_EQ(3u, links.size()) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "-config", links[0].arguments) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "", links[1].arguments) << "vista " << vista;
    EXPECT_EQ("-config", links[2].arguments) << "vista " << vista << ": not a configuration tool";
    EXPECT_EQ(links[0].arguments, engine.shortcuts[0].argument) << "vista " << vista;
    EXPECT_EQ("admin.ico", links[1].iconFile) << "an icon exePaths lacks is its bare name";
    EXPECT_EQ(-1, links[1].iconIndex);
  }
}

TEST(PlanShortcutLinksTest, UninstallCommandFollowsTheCompanyFolder) {
  const struct {
    const char* name;
    const char* root;
    int silentUninstall;
    const char* wantCommand;
  } kCases[] = {
      {"folder ending in the company name", "C:\\Program Files\\QVX\\", 0,
       "\"C:\\Program Files\\QVX\\unwindle.exe\" \"C:\\Program Files\" \"AppInfo.xml\" \"QVX\" "
       "\"Norvane\" \"FALSE\""},
      {"folder without the company name", "D:\\Apps\\", 0,
       "\"D:\\Apps\\unwindle.exe\" \"D:\\Apps\\\\\" \"AppInfo.xml\" \"QVX\" \"Norvane\" \"FALSE\""},
      {"silent uninstall", "C:\\Program Files\\QVX\\", 1,
       "\"C:\\Program Files\\QVX\\unwindle.exe\" \"C:\\Program Files\" \"AppInfo.xml\" \"QVX\" "
       "\"Norvane\" \"TRUE\""},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.installRoot = c.root;
    engine.exePaths["unwindle.exe"] = c.root;
    engine.silentUninstall = c.silentUninstall;
    const PathExists everything = [](const std::string&) { return true; };

    PlanShortcutLinks(engine, everything);

    EXPECT_EQ(c.wantCommand, engine.uninstallCommand) << c.name;
    EXPECT_EQ(std::string(c.root) + "unwindle.exe", engine.uninstallIcon) << c.name;
  }
}

TEST(PlanShortcutLinksTest, LastUninstallEntryWins) {
  CInstaller engine;
  SetUpDemo(engine);
  engine.shortcuts.push_back({"unwindle.exe", "Remove Norvane", "ignored", "other.ico"});
  engine.exePaths["other.ico"] = "C:\\Icons\\";
  const PathExists everything = [](const std::string&) { return true; };

  const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, everything);

  ASSERT_EQ(3u, links.size());
  EXPECT_EQ(kDemoUninstallArguments, links[2].arguments);
  EXPECT_EQ("C:\\Icons\\other.ico", engine.uninstallIcon);
}

}  // namespace
