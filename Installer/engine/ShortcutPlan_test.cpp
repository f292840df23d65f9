// The links, icon indexes and uninstall command line of the shortcut step, worked out without
// the file system.
#include "engine/ShortcutPlan.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <map>
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
  engine.version = "1.6.0003.0000.0035";
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

// The demo package after extraction: its archive entries, and every program at the place
// extraction put it.
InstalledFiles DemoFiles() {
  const std::set<std::string> files = {
      std::string(kRoot) + "quorvin.exe", std::string(kRoot) + "unwindle.exe",
      std::string(kVersionFolder) + "quorvin.exe", std::string(kVersionFolder) + "unwindle.exe"};
  InstalledFiles installed;
  installed.archivePaths = {"unwindle.exe", "Commonry.dll", "Updrift.exe",
                            "BrenmoorEHR\\Webvane.exe", "Quorvin.exe"};
  installed.exists = [files](const std::string& path) { return files.count(path) != 0; };
  return installed;
}

// Every file exists wherever it is looked for.
InstalledFiles EverythingExists() {
  InstalledFiles installed = DemoFiles();
  installed.exists = [](const std::string&) { return true; };
  return installed;
}

// The plan, with the lines about skipped entries thrown away.
std::vector<ShortcutLink> Plan(CInstaller& engine, const InstalledFiles& files) {
  std::vector<std::string> skipped;
  return PlanShortcutLinks(engine, files, &skipped);
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

  const std::vector<ShortcutLink> links = Plan(engine, DemoFiles());

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

    const std::vector<ShortcutLink> links = Plan(engine, DemoFiles());

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
  const std::map<std::string, std::string> before = engine.exePaths;
  std::vector<std::string> skipped;

  EXPECT_TRUE(PlanShortcutLinks(engine, DemoFiles(), &skipped).empty());
  EXPECT_EQ("", engine.uninstallCommand);
  EXPECT_EQ("", engine.uninstallIcon);
  EXPECT_EQ(before, engine.exePaths) << "looking names up adds nothing";
  EXPECT_TRUE(skipped.empty()) << "nothing to say when no link is wanted";
}

TEST(InstalledFilePathTest, WhereExtractionPutTheFile) {
  const struct {
    const char* name;
    const char* file;
    const char* want;
  } kCases[] = {
      {"listed, folder recorded by extraction", "updrift.exe",
       "C:\\Program Files\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\updrift.exe"},
      {"listed in a sub-folder", "webvane.exe",
       "C:\\Program Files\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\BrenmoorEHR\\webvane.exe"},
      {"listed, path word never replaced: not in the package", "absent.exe", ""},
      {"listed with an empty path word: not in the package", "blank.exe", ""},
      {"unlisted, in a sub-folder of the archive, other case", "helpdesk.exe",
       "C:\\Program Files\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\Tools\\Helpdesk.exe"},
      {"unlisted, the first of two entries of that name", "readme.txt",
       "C:\\Program Files\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\Docs\\readme.txt"},
      {"unlisted and not in the archive", "unknown.exe", ""},
      {"a folder of that name is no file", "tools", ""},
  };
  CInstaller engine;
  SetUpDemo(engine);
  engine.exePaths["absent.exe"] = "root";
  engine.exePaths["blank.exe"] = "";
  const std::vector<std::string> archive = {"unwindle.exe", "Tools\\Helpdesk.exe",
                                            "Docs\\readme.txt", "More\\README.TXT", "Quorvin.exe"};
  for (const auto& c : kCases) {
    EXPECT_EQ(c.want, InstalledFilePath(engine, c.file, archive)) << c.name;
  }
}

// Programs that exeInfo does not list are linked where extraction put them, and only there: the
// installer's working folder is never asked, whatever lies in it.
TEST(PlanShortcutLinksTest, UnlistedProgramsAreLinkedWhereExtractionPutThem) {
  CInstaller engine;
  SetUpDemo(engine);
  engine.exePaths["absent.exe"] = "root";          // listed, but the package lacks it
  engine.exePaths["tool.exe"] = kVersionFolder;    // placed, but not written (helper-only)
  engine.shortcuts = {{"helpdesk.exe", "Helpdesk", "", "helpdesk.ico"},
                      {"unknown.exe", "Unknown", "", ""},
                      {"absent.exe", "Absent", "", ""},
                      {"tool.exe", "Tool", "", ""}};
  InstalledFiles files = DemoFiles();
  files.archivePaths.push_back("Tools\\Helpdesk.exe");
  files.archivePaths.push_back("Art\\helpdesk.ico");
  const std::string helpdesk = std::string(kVersionFolder) + "Tools\\Helpdesk.exe";
  std::vector<std::string> asked;
  files.exists = [&](const std::string& path) {
    asked.push_back(path);
    return path == helpdesk;
  };
  std::vector<std::string> skipped;

  const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, files, &skipped);

  ASSERT_EQ(1u, links.size());
  EXPECT_EQ("QVX\\Helpdesk", links[0].linkName);
  EXPECT_EQ(helpdesk, links[0].target);
  EXPECT_EQ(std::string(kVersionFolder) + "Art\\helpdesk.ico", links[0].iconFile)
      << "an icon file the package carries is found the same way";
  EXPECT_EQ((std::vector<std::string>{helpdesk, std::string(kVersionFolder) + "tool.exe"}), asked)
      << "only installed places are asked about, never a bare name";
  EXPECT_EQ((std::vector<std::string>{
                "No link QVX\\Unknown: unknown.exe is not part of the installed product.",
                "No link QVX\\Absent: absent.exe is not part of the installed product.",
                std::string("No link QVX\\Tool: ") + kVersionFolder + "tool.exe was not installed."}),
            skipped);
}

TEST(PlanShortcutLinksTest, MainClientLinkStartsTheSharedCopyWhereExtractionPutIt) {
  const struct {
    const char* appName;
    const char* want;
  } kCases[] = {
      {"Norvane", "C:\\Program Files\\QVX\\quorvin.exe"},
      {"NORVANE", "C:\\Program Files\\QVX\\quorvin.exe"},
      {"Tallyset", "C:\\Program Files\\QVX\\Tallyset\\quorvin.exe"},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.appName = c.appName;
    engine.desktopShortcut = 1;

    const std::vector<ShortcutLink> links = Plan(engine, DemoFiles());

    ASSERT_EQ(3u, links.size()) << c.appName;
    EXPECT_EQ(c.want, links[0].target) << c.appName << ": the Start-menu link";
    EXPECT_EQ(c.want, links[1].target) << c.appName << ": the desktop link";
    // Its icon is an index of the target itself.
    EXPECT_EQ(4, links[0].iconIndex) << c.appName;
  }
}

// A package without the main client gets neither its Start-menu nor its desktop link, even with -t
// and a shared copy an earlier installation left in the company folder; the log says why.
TEST(PlanShortcutLinksTest, NoMainClientLinkWhenThePackageLacksIt) {
  const struct {
    const char* name;
    const char* pathWord;  // exeInfo's path for quorvin.exe; null when exeInfo does not list it
  } kCases[] = {
      {"listed in exeInfo, never extracted", "root"},
      {"not listed in exeInfo", nullptr},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.desktopShortcut = 1;
    engine.exePaths.erase("quorvin.exe");
    if (c.pathWord != nullptr) engine.exePaths["quorvin.exe"] = c.pathWord;
    InstalledFiles files = EverythingExists();
    files.archivePaths = {"unwindle.exe", "Commonry.dll", "Updrift.exe", "BrenmoorEHR\\Webvane.exe"};
    std::vector<std::string> skipped;

    const std::vector<ShortcutLink> links = PlanShortcutLinks(engine, files, &skipped);

    ASSERT_EQ(1u, links.size()) << c.name << ": only the uninstall program's link";
    EXPECT_EQ("QVX\\Uninstall Norvane", links[0].linkName) << c.name;
    EXPECT_EQ((std::vector<std::string>{
                  "No link QVX\\Brenmoor: quorvin.exe is not part of the installed product."}),
              skipped)
        << c.name;
  }
}

TEST(PlanShortcutLinksTest, ConfigurationToolsGetMinusVWithVistA) {
  for (const int vista : {0, 1}) {
    CInstaller engine;
    SetUpDemo(engine);
    engine.vistaEnabled = vista;
    engine.exePaths["qvx.tallyset.exe"] = kVersionFolder;
    engine.shortcuts = {{"qvx.tallyset.exe", "Tallyset", "-config", "qvx.tallyset.exe"},
                        {"QVX.TallysetAdmin.exe", "Tallyset Admin", "", "admin.ico"},
                        {"updrift.exe", "Update", "-config", ""}};
    InstalledFiles files = EverythingExists();
    files.archivePaths.push_back("QVX.TallysetAdmin.exe");

    const std::vector<ShortcutLink> links = Plan(engine, files);

    ASSERT_EQ(3u, links.size()) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "-config", links[0].arguments) << "vista " << vista;
    EXPECT_EQ(vista ? "\"-v\"" : "", links[1].arguments) << "vista " << vista;
    EXPECT_EQ("-config", links[2].arguments) << "vista " << vista << ": not a configuration tool";
    EXPECT_EQ(links[0].arguments, engine.shortcuts[0].argument) << "vista " << vista;
    EXPECT_EQ("admin.ico", links[1].iconFile) << "an icon the package does not carry stays as given";
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

    Plan(engine, EverythingExists());

    EXPECT_EQ(c.wantCommand, engine.uninstallCommand) << c.name;
    EXPECT_EQ(std::string(c.root) + "unwindle.exe", engine.uninstallIcon) << c.name;
  }
}

TEST(PlanShortcutLinksTest, LastUninstallEntryWins) {
  CInstaller engine;
  SetUpDemo(engine);
  engine.shortcuts.push_back({"unwindle.exe", "Remove Norvane", "ignored", "other.ico"});
  engine.exePaths["other.ico"] = kVersionFolder;

  const std::vector<ShortcutLink> links = Plan(engine, EverythingExists());

  ASSERT_EQ(3u, links.size());
  EXPECT_EQ(kDemoUninstallArguments, links[2].arguments);
  EXPECT_EQ(std::string(kVersionFolder) + "other.ico", engine.uninstallIcon);
}

}  // namespace
