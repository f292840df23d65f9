// File extraction against the real file system of the test prefix: payloads are built in memory,
// loaded as the installer loads its own, and placed below a temporary company folder.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Installer.h"
#include "framework/TestTools.h"
#include "package/PayloadModuleScope.h"
#include "package/PayloadResource.h"
#include "rollback/ChangeRecord.h"
#include "rollback/RecordFolder.h"
#include "rollback/RollbackTestTools.h"
#include "rollback/RunChanges.h"
#include "support/PathHelpers.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"
#include "LogReader.h"

namespace {

struct Entry {
  std::string path;
  std::string content;
};

std::vector<uint8_t> BuildPayload(const std::vector<Entry>& entries, const std::string& config) {
  payload::ArchiveWriter writer("Norvane", "1.0", config);
  for (const Entry& entry : entries) {
    EXPECT_EQ("", writer.AddFile(entry.path, reinterpret_cast<const uint8_t*>(entry.content.data()),
                                 entry.content.size()))
        << entry.path;
  }
  std::vector<uint8_t> payload;
  EXPECT_EQ("", payload::CompressPayload(writer.Finish(), &payload));
  return payload;
}

bool Exists(const std::string& path) { return PathFileExistsA(path.c_str()) != FALSE; }

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

// The name the file system lists for |path| (its case as created).
std::string ListedName(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  FindClose(search);
  return found.cFileName;
}

// Creates the folders above |path|; true when its folder exists afterwards.
bool CreateFoldersAbove(const std::string& path) {
  EnsurePath(path.c_str(), true, nullptr);
  return Exists(GetPathFolder(path.c_str()));
}

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}


// One installation: an engine with a payload of its own, whose company folder is
// <temporary folder>\QVX\.
class TestInstall {
 public:
  TestInstall() { engine.silent = 1; }  // reports go to the log; no box may block the test

  // Loads the payload and sets the company folder; false when the payload was refused.
  bool Load(const std::vector<Entry>& entries, const std::string& config = "") {
    const std::vector<uint8_t> payload = BuildPayload(entries, config);
    if (!engine.InitFromResource(payload.data(), payload.size(), true)) return false;
    root = temp.path() + "\\QVX\\";
    engine.installRoot = root;
    return true;
  }
  std::string AppFolder() const { return root + engine.appName + "\\"; }
  std::string VersionFolder() const { return AppFolder() + engine.appName + "1.0\\"; }

  ScopedTempDir temp;
  CInstaller engine;
  std::string root;
};

class FileExtractionTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded()) << "payload_resource_fixture.dll is missing";
    ASSERT_FALSE(install_.temp.path().empty());
  }

  PayloadModuleScope module_;
  TestInstall install_;
  CInstaller& engine_ = install_.engine;
};

TEST_F(FileExtractionTest, EntriesLandByTheirPathWordAndListedProgramsRecordTheirFolder) {
  enum Folder { kCompany, kApplication, kVersion };
  struct Case {
    const char* name;
    const char* path;
    const char* listedAs;  // null: not in exeInfo
    const char* word;
    Folder folder;         // where the path lands
    const char* recorded;  // for a listed file: what follows the folder in exePaths
  };
  const Case kCases[] = {
      {"root", "unwindle.exe", "unwindle.exe", "root", kCompany, ""},
      {"root, nested", "Bin\\Sub\\Rootprog.exe", "rootprog.exe", "root", kCompany, "Bin\\"},
      {"mainApp", "Mainprog.exe", "mainprog.exe", "mainApp", kApplication, ""},
      {"other word", "BrenmoorEHR\\Webvane.exe", "webvane.exe", "BrenmoorEHR", kVersion,
       "BrenmoorEHR\\"},
      {"empty word", "Empty.exe", "empty.exe", "", kVersion, ""},
      {"blank word", "Blank.exe", "blank.exe", " ", kVersion, ""},
      {"root in capitals", "Capital.exe", "capital.exe", "ROOT", kVersion, ""},
      {"mainApp in lower case", "Lower.exe", "lower.exe", "mainapp", kVersion, ""},
      {"upper-case archive name", "MixedCase.EXE", "mixedcase.exe", "root", kCompany, ""},
      {"unlisted, nested", "BrenmoorEHR\\locales\\am.pak", nullptr, nullptr, kVersion, nullptr},
      {"unlisted, top level", "readme.txt", nullptr, nullptr, kVersion, nullptr},
  };
  std::vector<Entry> entries;
  for (const Case& c : kCases) entries.push_back({c.path, std::string("content of ") + c.name});
  ASSERT_TRUE(install_.Load(entries));
  for (const Case& c : kCases) {
    if (c.listedAs) engine_.exePaths[c.listedAs] = c.word;
  }
  engine_.exePaths["absent.exe"] = "root";

  ASSERT_TRUE(engine_.Files(nullptr));

  const std::string folders[] = {install_.root, install_.AppFolder(), install_.VersionFolder()};
  for (const Case& c : kCases) {
    const std::string& folder = folders[c.folder];
    EXPECT_EQ(std::string("content of ") + c.name, ReadFileBytes(folder + c.path)) << c.name;
    if (c.listedAs) {
      EXPECT_EQ(folder + c.recorded, engine_.exePaths[c.listedAs]) << c.name;
    }
  }
  EXPECT_EQ(0u, engine_.exePaths.count("am.pak")) << "unlisted files are not recorded";
  EXPECT_EQ(0u, engine_.exePaths.count("readme.txt")) << "unlisted files are not recorded";
  EXPECT_EQ("root", engine_.exePaths["absent.exe"]) << "a program not in the archive";
  EXPECT_FALSE(Exists(install_.VersionFolder() + "unwindle.exe"))
      << "a root program is not in the version folder";
}

TEST_F(FileExtractionTest, TraceAndCursorOfASuccessfulRun) {
  const std::vector<Entry> entries = {{"a.txt", "A"}, {"B\\b.txt", "BB"}};
  ASSERT_TRUE(install_.Load(entries));
  const LogSince log;

  ASSERT_TRUE(engine_.Files(nullptr));

  EXPECT_EQ(2u, engine_.fileCount);
  EXPECT_EQ(engine_.payloadBuffer.bytes.get() + engine_.payloadBuffer.size, engine_.payloadCursor)
      << "the cursor ends after the last entry";
  EXPECT_TRUE(log.Has("Enter function Files()."));
  EXPECT_TRUE(log.Has("Enter function CreateDirOfFile() with parameter fullName is " +
                      install_.VersionFolder() + "B\\b.txt."));
  EXPECT_EQ(4u, CountOf(log.Text(), "Leave function CreateDirOfFile().")) << "two seeds, two files";
  EXPECT_TRUE(log.Has("Leave function Files()."));
  EXPECT_NE(nullptr, engine_.resourceBytes) << "the payload resource was checked";
}

TEST_F(FileExtractionTest, SharedProgramsGetALowerCaseCopyInTheBaseFolder) {
  struct Case {
    const char* appName;
    std::string copyFolder;  // below the company folder
  };
  const Case kCases[] = {{"Norvane", ""}, {"NORVANE", ""}, {"Tallyset", "Tallyset\\"}};
  const std::vector<Entry> entries = {{"Quorvin.exe", "client"},
                                      {"BrenmoorEHR\\Updrift.EXE", "updater"},
                                      {"Unwindle.exe", "uninstaller"},
                                      {"COMMONRY.DLL", "common"},
                                      {"Other.dll", "other"}};
  for (const Case& c : kCases) {
    TestInstall install;
    ASSERT_TRUE(install.Load(entries)) << c.appName;
    install.engine.appName = c.appName;

    ASSERT_TRUE(install.engine.Files(nullptr)) << c.appName;

    const std::string copies = install.root + c.copyFolder;
    EXPECT_EQ("quorvin.exe", ListedName(copies + "quorvin.exe")) << c.appName;
    EXPECT_EQ("updrift.exe", ListedName(copies + "updrift.exe")) << c.appName;
    EXPECT_EQ("unwindle.exe", ListedName(copies + "unwindle.exe")) << c.appName;
    EXPECT_EQ("commonry.dll", ListedName(copies + "commonry.dll")) << c.appName;
    EXPECT_EQ("client", ReadFileBytes(copies + "quorvin.exe")) << c.appName;
    EXPECT_EQ("updater", ReadFileBytes(copies + "updrift.exe")) << c.appName;
    EXPECT_FALSE(Exists(copies + "other.dll")) << c.appName;
    // The entries themselves are where the archive puts them, in their own case.
    EXPECT_EQ("Updrift.EXE", ListedName(install.VersionFolder() + "BrenmoorEHR\\Updrift.EXE"))
        << c.appName;
    EXPECT_EQ("common", ReadFileBytes(install.VersionFolder() + "COMMONRY.DLL")) << c.appName;
  }
}

TEST_F(FileExtractionTest, SecondInstallationRefreshesOnlyTheMainClientCopy) {
  ASSERT_TRUE(install_.Load({{"Quorvin.exe", "new client"},
                             {"Updrift.exe", "new updater"},
                             {"Unwindle.exe", "new uninstaller"},
                             {"Commonry.dll", "new common"}}));
  const std::string root = install_.root;
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  WriteText(root + "Quorvin.EXE", "old client");
  WriteText(root + "updrift.exe", "old updater");
  WriteText(root + "Unwindle.exe", "old uninstaller");
  WriteText(root + "commonry.dll", "old common");

  ASSERT_TRUE(engine_.Files(nullptr));

  EXPECT_EQ("new client", ReadFileBytes(root + "quorvin.exe"));
  EXPECT_EQ("quorvin.exe", ListedName(root + "quorvin.exe")) << "the refreshed copy is lower case";
  EXPECT_EQ("old updater", ReadFileBytes(root + "updrift.exe"));
  EXPECT_EQ("old uninstaller", ReadFileBytes(root + "unwindle.exe"));
  EXPECT_EQ("Unwindle.exe", ListedName(root + "unwindle.exe")) << "left as it was";
  EXPECT_EQ("old common", ReadFileBytes(root + "commonry.dll"));
  EXPECT_EQ("new updater", ReadFileBytes(install_.VersionFolder() + "Updrift.exe"));
  EXPECT_EQ(46u + 46u, engine_.placedBytes)
      << "the Uninstall entry's size: the four entries and their four copies at the package's "
         "size, whatever was found in their place";
}

TEST_F(FileExtractionTest, MainClientCopyThatCannotBeRefreshedDoesNotStopTheRun) {
  ASSERT_TRUE(install_.Load({{"Quorvin.exe", "new client"}, {"after.txt", "after"}}));
  ASSERT_TRUE(CreateDirectoryA(install_.root.c_str(), nullptr));
  const std::string copy = install_.root + "quorvin.exe";
  WriteText(copy, "running client");
  // The running client holds its file without sharing.
  const UniqueHandle running(
      CreateFileA(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(running);
  const LogSince log;

  EXPECT_TRUE(engine_.Files(nullptr));

  EXPECT_TRUE(log.Has("Cannot create file " + copy + "."));
  EXPECT_EQ("new client", ReadFileBytes(install_.VersionFolder() + "Quorvin.exe"));
  EXPECT_EQ("after", ReadFileBytes(install_.VersionFolder() + "after.txt"));
  EXPECT_EQ(15u + 10u, engine_.placedBytes)
      << "the copy that could not be written counts at the package's size, as after a first "
         "installation";
}

// The uninstall program's place is the company folder, which is also where its shared copy goes:
// one file, written once and counted once; a helper-only install, which leaves the entry out,
// still makes it as the copy.
TEST_F(FileExtractionTest, AnEntryThatLandsWhereItsCopyGoesIsWrittenAndCountedOnce) {
  for (const char* justHelper : {"", "true"}) {
    TestInstall install;
    ASSERT_TRUE(install.Load({{"unwindle.exe", "uninstaller"}}));
    install.engine.exePaths["unwindle.exe"] = "root";
    install.engine.justHelper = justHelper;
    const LogSince log;

    ASSERT_TRUE(install.engine.Files(nullptr)) << justHelper;

    EXPECT_EQ("uninstaller", ReadFileBytes(install.root + "unwindle.exe")) << justHelper;
    EXPECT_EQ(11u, install.engine.placedBytes) << justHelper;
    EXPECT_FALSE(log.Has("Cannot create file")) << justHelper << log.Text();
  }
}

TEST_F(FileExtractionTest, HelperOnlyInstallWritesToolsAndTheSharedCopies) {
  ASSERT_TRUE(install_.Load({{"Tools\\Config.exe", "config"},
                             {"bin\\MyTOOLS.dll", "tools dll"},
                             {"BrenmoorEHR\\am.pak", "locale"},
                             {"Quorvin.exe", "client"}},
                            "<appConfig xmlns=\"urn:qvx:appconfig\"/>"));
  engine_.justHelper = "true";
  const std::string version = install_.VersionFolder();

  ASSERT_TRUE(engine_.Files(nullptr));

  EXPECT_EQ("config", ReadFileBytes(version + "Tools\\Config.exe"));
  EXPECT_EQ("tools dll", ReadFileBytes(version + "bin\\MyTOOLS.dll"));
  EXPECT_FALSE(Exists(version + "BrenmoorEHR\\am.pak"));
  EXPECT_FALSE(Exists(version + "Quorvin.exe"));
  EXPECT_EQ("client", ReadFileBytes(install_.root + "quorvin.exe")) << "the copy is still made";
  EXPECT_TRUE(Exists(install_.root + "AppInfo.xml"));
  EXPECT_FALSE(Exists(version + "AppInfo.xml")) << "one seed only";
}

TEST_F(FileExtractionTest, SeedFilesFollowTheHelperAndAutoUpdateFlags) {
  struct Case {
    const char* name;
    const char* justHelper;
    int invokedByAutoUpdate;
    const char* appName;
    bool baseSeed;
    bool versionSeed;
  };
  const Case kCases[] = {
      {"normal", "", 0, "Norvane", true, true},
      {"justHelper false", "false", 0, "Norvane", true, true},
      {"started by the automatic update", "", 1, "Norvane", false, true},
      {"helper only", "TRUE", 0, "Norvane", true, false},
      {"helper only, automatic update", "TRUE", 1, "Norvane", true, false},
      {"other product", "", 0, "Tallyset", true, true},
  };
  const std::string config =
      "<appConfig xmlns=\"urn:qvx:appconfig\"><appInfo><companyName>QVX</companyName>"
      "</appInfo></appConfig>";
  for (const Case& c : kCases) {
    TestInstall install;
    ASSERT_TRUE(install.Load({{"a.txt", "A"}}, config)) << c.name;
    install.engine.justHelper = c.justHelper;
    install.engine.invokedByAutoUpdate = c.invokedByAutoUpdate;
    install.engine.appName = c.appName;
    const std::string base =
        c.appName == std::string("Norvane") ? install.root : install.AppFolder();

    ASSERT_TRUE(install.engine.Files(nullptr)) << c.name;

    EXPECT_EQ(c.baseSeed, Exists(base + "AppInfo.xml")) << c.name;
    if (c.baseSeed) {
      EXPECT_EQ(config, ReadFileBytes(base + "AppInfo.xml")) << c.name;
    }
    EXPECT_EQ(c.versionSeed, Exists(install.VersionFolder() + "AppInfo.xml")) << c.name;
    if (c.versionSeed) {
      EXPECT_EQ(config, ReadFileBytes(install.VersionFolder() + "AppInfo.xml")) << c.name;
    }
    // UpdateAppInfo got the seed written last and placed the application's AppInfo.xml.
    EXPECT_TRUE(Exists(install.AppFolder() + "AppData\\AppInfo.xml")) << c.name;
  }
}

TEST_F(FileExtractionTest, GroupRightsAreGrantedOncePerFolderFromTheCompanyFolderDown) {
  ASSERT_TRUE(install_.Load({{"BrenmoorEHR\\a.pak", "a"},
                             {"BrenmoorEHR\\b.pak", "b"},
                             {"BrenmoorEHR\\locales\\c.pak", "c"},
                             {"d.exe", "d"}}));
  // The descriptor was built for the real groups; a group that does not exist makes every grant
  // leave a report naming its folder, so the log shows each grant.
  engine_.groupName = "NoSuchGroupOfFileExtraction";
  const LogSince log;

  ASSERT_TRUE(engine_.Files(nullptr));

  const std::string text = log.Text();
  const std::string report =
      "Please check if group NoSuchGroupOfFileExtraction exists and if you have sufficient "
      "privileges to change the right of this directory or file: ";
  const std::string root = install_.root.substr(0, install_.root.size() - 1);
  const std::string version = install_.VersionFolder();
  for (const std::string& folder : {root, root + "\\Norvane", version.substr(0, version.size() - 1),
                                    version + "BrenmoorEHR", version + "BrenmoorEHR\\locales"}) {
    EXPECT_EQ(1u, CountOf(text, report + folder + "\r\n")) << folder;
  }
  EXPECT_EQ(0u, CountOf(text, report + install_.temp.path() + "\r\n"))
      << "above the company folder";
}

// A window of the test's own, on the test's thread, so SendMessageA calls its procedure
// directly; it records the progress messages and the shared percentage seen with each.
class ProgressRecorder {
 public:
  struct Message {
    UINT id;
    WPARAM position;
    std::string text;
    int32_t shared;
  };

  ProgressRecorder() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ProgressRecorder::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier test registered it
    window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    context.dialogWindow = window_;
    context.userData = &shared;
  }
  ~ProgressRecorder() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }

  // After the |count|th position message: the dialog begins to shut down, or its window goes.
  void StopAfterPositions(int count) { stopAfter_ = count; }
  void DestroyAfterPositions(int count) { destroyAfter_ = count; }

  ProgressContext context;
  int32_t shared = -1;
  std::vector<Message> messages;

 private:
  static constexpr char kClassName[] = "FileExtractionTestProgress";

  static LRESULT CALLBACK Procedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ProgressRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || (id != WM_UPD_SET_POS && id != WM_UPD_SET_TEXT)) {
      return DefWindowProcA(window, id, wParam, lParam);
    }
    self->messages.push_back({id, wParam,
                              id == WM_UPD_SET_TEXT ? reinterpret_cast<const char*>(lParam) : "",
                              self->shared});
    if (id == WM_UPD_SET_POS) {
      ++self->positions_;
      if (self->positions_ == self->stopAfter_) self->context.terminated = 1;
      if (self->positions_ == self->destroyAfter_) DestroyWindow(window);
    }
    return TRUE;
  }

  HWND window_ = nullptr;
  int positions_ = 0;
  int stopAfter_ = -1;
  int destroyAfter_ = -1;
};

std::vector<Entry> NumberedEntries(int count) {
  std::vector<Entry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({"files\\f" + std::to_string(i) + ".bin", "x"});
  return entries;
}

std::string Describe(const ProgressRecorder::Message& message) {
  std::ostringstream text;
  if (message.id == WM_UPD_SET_POS) {
    text << "pos " << message.position;
  } else {
    text << "text '" << message.text << "'";
  }
  return text.str();
}

TEST_F(FileExtractionTest, ProgressSequenceForEveryScale) {
  struct Case {
    int count;
    int (*percentage)(int index);  // what the bar shows before entry |index|
  };
  const Case kCases[] = {
      {0, nullptr},
      {88, [](int i) { return i; }},            // scale 100: one step per entry
      {250, [](int i) { return 4 * i / 10; }},  // scale 1000: 0, 0, 0, 1, 1, 2, ...
      {1000, [](int i) { return i / 10; }},     // scale 1000: ten entries per step
  };
  for (const Case& c : kCases) {
    TestInstall install;
    ASSERT_TRUE(install.Load(NumberedEntries(c.count))) << c.count;
    ProgressRecorder recorder;

    ASSERT_TRUE(install.engine.Files(&recorder.context)) << c.count;

    std::vector<std::string> want;
    for (int i = 0; i < c.count; ++i) {
      const int percentage = c.percentage(i);
      want.push_back("pos " + std::to_string(percentage));
      want.push_back("text 'Copying files " + std::to_string(percentage) + "%'");
    }
    want.push_back("text '" + std::to_string(c.count) + " Files successfully extracted.'");
    want.push_back("pos 100");
    std::vector<std::string> got;
    for (const auto& message : recorder.messages) got.push_back(Describe(message));
    EXPECT_EQ(want, got) << c.count << " entries";
    // The shared percentage is set before each position message, and never to 100.
    for (const auto& message : recorder.messages) {
      if (message.id == WM_UPD_SET_POS && message.position != 100) {
        ASSERT_EQ(static_cast<int32_t>(message.position), message.shared) << c.count;
      }
    }
    EXPECT_EQ(c.count ? c.percentage(c.count - 1) : -1, recorder.shared) << c.count;
    if (c.count > 0) {
      EXPECT_EQ("x", ReadFileBytes(install.VersionFolder() + "files\\f" + std::to_string(c.count - 1) +
                              ".bin"))
          << "the last entry is placed (" << c.count << ")";
    }
  }
}

TEST_F(FileExtractionTest, SpotValuesOfTheProgressFor250Entries) {
  ASSERT_TRUE(install_.Load(NumberedEntries(250)));
  ProgressRecorder recorder;
  ASSERT_TRUE(engine_.Files(&recorder.context));
  std::vector<WPARAM> positions;
  for (const auto& message : recorder.messages) {
    if (message.id == WM_UPD_SET_POS) positions.push_back(message.position);
  }
  ASSERT_EQ(251u, positions.size());
  EXPECT_EQ((std::vector<WPARAM>{0, 0, 0, 1, 1, 2}),
            std::vector<WPARAM>(positions.begin(), positions.begin() + 6));
  EXPECT_EQ(99u, positions[249]);
  EXPECT_EQ(100u, positions[250]);
}

TEST_F(FileExtractionTest, TerminatedDialogStopsTheExtractionBetweenTwoEntries) {
  ASSERT_TRUE(install_.Load(NumberedEntries(10)));
  ProgressRecorder recorder;
  recorder.StopAfterPositions(4);  // the dialog shuts down while entry 3 is announced
  const LogSince log;

  EXPECT_FALSE(engine_.Files(&recorder.context));

  const std::string folder = install_.VersionFolder() + "files\\";
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Exists(folder + "f" + std::to_string(i) + ".bin")) << i;
  for (int i = 3; i < 10; ++i) EXPECT_FALSE(Exists(folder + "f" + std::to_string(i) + ".bin")) << i;
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ("pos 30", Describe(recorder.messages.back())) << "nothing is sent after the request";
  EXPECT_TRUE(log.Has("Extraction stopped at the dialog's request after 3 of 10 files."));
  EXPECT_FALSE(log.Has("Leave function Files()."));
}

TEST_F(FileExtractionTest, MessagesStopWhenTheDialogWindowIsGoneButFilesGoOn) {
  ASSERT_TRUE(install_.Load(NumberedEntries(10)));
  ProgressRecorder recorder;
  recorder.DestroyAfterPositions(2);

  EXPECT_TRUE(engine_.Files(&recorder.context));

  ASSERT_EQ(3u, recorder.messages.size());  // pos 0, its text, pos 10; then the window is gone
  EXPECT_EQ("pos 10", Describe(recorder.messages.back()));
  EXPECT_EQ(90, recorder.shared) << "the shared percentage is still kept up to date";
  EXPECT_TRUE(Exists(install_.VersionFolder() + "files\\f9.bin"));
}

// A name where neither the old file can be deleted nor a new one created: the delete report
// comes first, then the create report, and the write fails.
TEST_F(FileExtractionTest, TargetThatCannotBeReplacedFailsAfterBothReports) {
  struct Case {
    const char* name;
    bool holdOpen;  // else a folder stands at the name
  };
  const Case kCases[] = {{"file in use", true}, {"folder at the name", false}};
  for (const Case& c : kCases) {
    TestInstall install;
    ASSERT_TRUE(install.Load({{"first.txt", "1"}, {"Quorvin.exe", "client"}, {"last.txt", "3"}}))
        << c.name;
    const std::string target = install.VersionFolder() + "Quorvin.exe";
    ASSERT_TRUE(CreateFoldersAbove(target));
    UniqueHandle holder;
    if (c.holdOpen) {
      WriteText(target, "running");
      holder.reset(
          CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holder) << c.name;
    } else {
      ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr)) << c.name;
    }
    const LogSince log;

    EXPECT_FALSE(install.engine.Files(nullptr)) << c.name;

    const std::string text = log.Text();
    const size_t deleteReport = text.find("Delete file " + target + " failed.");
    const size_t createReport =
        text.find("Cannot create file " + target +
                  ". If any QVX program (i.e.Norvane) is running, please quit it first.");
    ASSERT_NE(std::string::npos, deleteReport) << c.name;
    ASSERT_NE(std::string::npos, createReport) << c.name;
    EXPECT_LT(deleteReport, createReport) << c.name;
    EXPECT_EQ("1", ReadFileBytes(install.VersionFolder() + "first.txt")) << "no rollback: " << c.name;
    EXPECT_FALSE(Exists(install.VersionFolder() + "last.txt")) << c.name;
    EXPECT_FALSE(Exists(install.root + "quorvin.exe"))
        << "no copy after a failed entry: " << c.name;
    // The cursor stays on the failed entry's size field.
    const uint8_t* sizeField = install.engine.payloadCursor;
    EXPECT_EQ(0, std::memcmp(sizeField - 12, "Quorvin.exe", 12)) << c.name;
    EXPECT_EQ(0, std::memcmp(sizeField, "\x06\0\0\0client", 10)) << c.name;
    EXPECT_FALSE(log.Has("Leave function Files().")) << c.name;
  }
}

TEST_F(FileExtractionTest, ReadOnlyTargetIsReportedAndTheCreateIsStillTried) {
  ASSERT_TRUE(install_.Load({}));
  const std::string target = install_.VersionFolder() + "readonly.txt";
  ASSERT_TRUE(CreateFoldersAbove(target));
  WriteText(target, "old");
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  const LogSince log;

  const bool written =
      engine_.CreateDirOfFile(target, reinterpret_cast<const uint8_t*>("new"), 1, 3);

  const std::string text = log.Text();
  const size_t deleteReport = text.find("Delete file " + target + " failed.");
  ASSERT_NE(std::string::npos, deleteReport);
  // Windows refuses to replace a read-only file and the create report follows; Wine running as
  // root replaces it. Either way the step went on after the delete report.
  if (written) {
    EXPECT_EQ("new", ReadFileBytes(target));
  } else {
    EXPECT_LT(deleteReport, text.find("Cannot create file " + target + "."));
  }
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Memory whose first page can be read and whose second cannot: WriteFile fails after CreateFileA
// succeeded, as on a failing device.
class HalfReadableBuffer {
 public:
  HalfReadableBuffer() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    page_ = system.dwPageSize;
    bytes_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!bytes_) return;
    std::memset(bytes_, 'a', page_);
    DWORD old = 0;
    VirtualProtect(bytes_ + page_, page_, PAGE_NOACCESS, &old);
  }
  ~HalfReadableBuffer() {
    if (bytes_) VirtualFree(bytes_, 0, MEM_RELEASE);
  }
  const uint8_t* data() const { return bytes_; }
  uint32_t size() const { return 2 * page_; }

 private:
  uint8_t* bytes_ = nullptr;
  uint32_t page_ = 0;
};

TEST_F(FileExtractionTest, FailedWriteLeavesNoFileAtThatName) {
  ASSERT_TRUE(install_.Load({}));
  HalfReadableBuffer buffer;
  ASSERT_NE(nullptr, buffer.data());
  for (const bool existedBefore : {false, true}) {
    const std::string target = install_.VersionFolder() + "broken.bin";
    if (existedBefore) {
      ASSERT_TRUE(CreateFoldersAbove(target));
      WriteText(target, "old content");
    }
    const LogSince log;

    EXPECT_FALSE(engine_.CreateDirOfFile(target, buffer.data(), 1, buffer.size()))
        << "existed before: " << existedBefore;

    EXPECT_FALSE(Exists(target)) << "existed before: " << existedBefore;
    EXPECT_TRUE(log.Has("Failed to write file " + target + " at offset: "))
        << "existed before: " << existedBefore;
    EXPECT_TRUE(log.Has("WriteFile failed for " + target + " with error "));
    EXPECT_FALSE(log.Has("Leave function CreateDirOfFile()."));
  }
}

TEST_F(FileExtractionTest, LargeFilesAreWrittenWholeAcrossTheWritePieces) {
  ASSERT_TRUE(install_.Load({}));
  // Sizes around the 256 KiB pieces the writes are split into. The content does not repeat with
  // the piece size, so a piece written twice, skipped or cut shows.
  for (const uint32_t size : {256u * 1024u, 256u * 1024u + 1u, 3u * 1024u * 1024u + 17u}) {
    std::string content(size, '\0');
    for (uint32_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::string target = install_.VersionFolder() + "large-" + std::to_string(size) + ".bin";

    EXPECT_TRUE(engine_.CreateDirOfFile(target, reinterpret_cast<const uint8_t*>(content.data()),
                                        1, size))
        << size;

    EXPECT_TRUE(ReadFileBytes(target) == content) << size;
  }
}

TEST_F(FileExtractionTest, PathLongerThanWindowsAllowsFailsWithAClearMessage) {
  ASSERT_TRUE(install_.Load({}));
  const std::string folder = install_.VersionFolder();
  for (const size_t length : {size_t{259}, size_t{260}, size_t{1000}}) {
    ASSERT_LT(folder.size() + 5, length);
    const std::string target = folder + std::string(length - folder.size() - 4, 'x') + ".txt";
    ASSERT_EQ(length, target.size());
    const LogSince log;

    const bool written = engine_.CreateDirOfFile(target, reinterpret_cast<const uint8_t*>("x"), 1, 1);

    EXPECT_EQ(length < MAX_PATH, written) << length;
    EXPECT_EQ(length >= MAX_PATH,
              log.Has("Cannot create file " + target + ": the path is " + std::to_string(length) +
                      " characters long, more than the 259 Windows allows."))
        << length;
  }
}

TEST_F(FileExtractionTest, ArchiveCutShortStopsWithoutReadingPastIt) {
  ASSERT_TRUE(install_.Load({{"first.txt", "1"}, {"second.txt", "2222"}}));
  engine_.payloadBuffer.size -= 2;  // the second entry's content now runs past the end
  const LogSince log;

  EXPECT_FALSE(engine_.Files(nullptr));

  EXPECT_EQ("1", ReadFileBytes(install_.VersionFolder() + "first.txt"));
  EXPECT_FALSE(Exists(install_.VersionFolder() + "second.txt"));
  EXPECT_TRUE(log.Has("The installation package is damaged: its file list ends early"));
}

TEST_F(FileExtractionTest, ReleasedPayloadWritesNothing) {
  ASSERT_TRUE(install_.Load({{"first.txt", "1"}}));
  engine_.ReleasePayload();
  const LogSince log;
  EXPECT_FALSE(engine_.Files(nullptr));
  EXPECT_FALSE(Exists(install_.root));
  EXPECT_TRUE(log.Has("The installation package is no longer loaded; no file can be written."));
}

// ---- Runs that record their changes for the rollback ----

const char kSettingsConfig[] =
    "<appConfig xmlns=\"urn:qvx:appconfig\"><regInfo><SOFTWARE><QVX><QUORVIN>"
    "<HostList>H1</HostList></QUORVIN></QVX></SOFTWARE></regInfo></appConfig>";

// The records of the run's record files below |recordFolder|, in file order.
std::vector<rollback::ChangeRecord> RecordsBelow(const std::string& recordFolder) {
  std::vector<rollback::ChangeRecord> all;
  for (const auto& entry : rollback::ListFiles(recordFolder)) {
    std::vector<rollback::ChangeRecord> records;
    EXPECT_TRUE(rollback::DecodeJournal(rollback::ReadWholeFile(recordFolder + "\\" + entry.first),
                                        &records))
        << entry.first;
    all.insert(all.end(), records.begin(), records.end());
  }
  return all;
}

// A reinstallation from a repacked package (other bytes, new host settings) that fails at its
// last entry, which another program holds open: every file it replaced, the refreshed main client
// copy one level up and AppInfo.xml come back byte for byte, and what it added goes.
TEST_F(FileExtractionTest, ARecordedReinstallationThatFailsIsRolledBack) {
  const auto entries = [](const std::string& bytes) {
    return std::vector<Entry>{{"Quorvin.exe", "client " + bytes},
                              {"Data\\a.txt", "a " + bytes},
                              {"Data\\New\\b.txt", "b " + bytes},
                              {"Tail.exe", "tail " + bytes}};
  };
  ASSERT_TRUE(install_.Load(entries("1.0"), kSettingsConfig));
  engine_.exePaths["tail.exe"] = "root";
  ASSERT_TRUE(engine_.Files(nullptr));
  ASSERT_TRUE(DeleteTree(install_.VersionFolder() + "Data\\New")) << "new in the repacked one";
  const rollback::Listing before = rollback::ListFiles(install_.temp.path());

  CInstaller repacked;
  repacked.silent = 1;
  const std::vector<uint8_t> payload = BuildPayload(entries("1.0 repacked"), kSettingsConfig);
  ASSERT_TRUE(repacked.InitFromResource(payload.data(), payload.size(), true));
  repacked.installRoot = install_.root;
  repacked.exePaths["tail.exe"] = "root";
  repacked.hostSettingsChanged = 1;
  ASSERT_FALSE(repacked.regValues.empty());
  repacked.regValues[0].value = "REPACKED";
  rollback::RunChanges changes(
      rollback::RecordFolderBelow(install_.temp.Child("ProgramData"), "QVX", "Norvane"),
      rollback::TestScope({install_.temp.path()}));
  changes.SetBackupParent(install_.root);
  repacked.runChanges = &changes;
  const std::string held = install_.root + "Tail.exe";
  {
    const UniqueHandle running(
        CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    const LogSince log;

    EXPECT_FALSE(repacked.Files(nullptr));

    EXPECT_TRUE(log.Has("MoveFileExA failed for " + held + " with error 32.")) << log.Text();
    EXPECT_TRUE(log.Has("Cannot create file " + held +
                        ". If any QVX program (i.e.Norvane) is running, please quit it first."))
        << log.Text();
    EXPECT_FALSE(log.Has("Delete file " + held)) << "the file was never touched";
  }
  // What the failed run had done by then, so that the rollback has something to undo.
  ASSERT_EQ("client 1.0 repacked", ReadFileBytes(install_.root + "quorvin.exe"));
  ASSERT_EQ("b 1.0 repacked", ReadFileBytes(install_.VersionFolder() + "Data\\New\\b.txt"));
  ASSERT_NE(std::string::npos,
            ReadFileBytes(install_.AppFolder() + "AppData\\AppInfo.xml").find("REPACKED"));

  changes.RollBack();
  EXPECT_EQ("", rollback::Differences(before, rollback::ListFiles(install_.temp.path())));
}

// A fresh installation that fails midway (an entry whose path is too long for Windows): nothing
// is left, and however many files it wrote, it recorded only the folders it made.
TEST_F(FileExtractionTest, ARecordedFreshInstallationThatFailsLeavesNothing) {
  std::vector<Entry> entries;
  for (int index = 0; index < 40; ++index) {
    entries.push_back({"Data\\Sub" + std::to_string(index % 4) + "\\f" + std::to_string(index),
                       "file " + std::to_string(index)});
  }
  entries.push_back({"Quorvin.exe", "client"});
  entries.push_back({std::string(150, 'x') + "\\" + std::string(150, 'y'), "too long"});
  ASSERT_TRUE(install_.Load(entries, kSettingsConfig));
  const rollback::Listing before = rollback::ListFiles(install_.temp.path());
  const std::string recordFolder =
      rollback::RecordFolderBelow(install_.temp.Child("ProgramData"), "QVX", "Norvane");
  rollback::RunChanges changes(recordFolder, rollback::TestScope({install_.temp.path()}));
  engine_.runChanges = &changes;

  std::string destination = install_.root;
  ASSERT_TRUE(engine_.MyCreateDirectory(destination, &engine_.securityAttributes));
  changes.SetBackupParent(destination);
  EXPECT_FALSE(engine_.Files(nullptr));
  ASSERT_EQ("client", ReadFileBytes(install_.root + "quorvin.exe"));

  std::size_t changeRecords = 0;
  for (const rollback::ChangeRecord& record : RecordsBelow(recordFolder)) {
    if (record.kind == rollback::ChangeKind::kMadeRecordFolder) continue;
    if (rollback::IsScopeKind(record.kind)) continue;
    ++changeRecords;
    EXPECT_EQ(rollback::ChangeKind::kCreatedFolder, record.kind) << record.path;
  }
  EXPECT_EQ(1u, changeRecords) << "the topmost folder made, nothing below it";

  changes.RollBack();
  EXPECT_EQ("", rollback::Differences(before, rollback::ListFiles(install_.temp.path())));
}

TEST(FileExtractionWithoutResourceTest, MissingPayloadResourceWritesNothing) {
  TestInstall install;  // the test program itself carries no payload resource
  ASSERT_TRUE(install.Load({{"first.txt", "1"}}));
  const LogSince log;

  EXPECT_FALSE(install.engine.Files(nullptr));

  EXPECT_TRUE(log.Has("Load resource failed!"));
  EXPECT_FALSE(log.Has("Leave function Files()."));
  EXPECT_FALSE(Exists(install.root)) << "not even a seed file";
}

}  // namespace
