#include "support/Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/HiddenProcess.h"
#include "framework/TestTools.h"
#include "support/ScopedTempDir.h"
#include "support/SystemPaths.h"
#include "support/UniqueHandle.h"

namespace {

// The test program is installer_tests.exe, so its log files are named after it.
constexpr char kBaseName[] = "installer_tests";

// A local time as the C runtime reads it back (mktime is the inverse of localtime), so the
// expected stamps do not depend on the time zone of the machine.
time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm local = {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

// The clock the logs under test read: each reading takes the next entry of g_readings, and the
// last entry repeats once the list is used up.
std::vector<time_t> g_readings;
std::size_t g_nextReading = 0;

time_t TestClock() {
  const time_t now = g_readings.at(g_nextReading < g_readings.size() ? g_nextReading
                                                                     : g_readings.size() - 1);
  ++g_nextReading;
  return now;
}

void SetTime(time_t now) {
  g_readings = {now};
  g_nextReading = 0;
}

// The whole file, read with full sharing so the log may keep it open meanwhile; "<missing>"
// when it cannot be opened.
std::string ReadFileText(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return "<missing>";
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

// "YYYY-MM-DD HH:MM:SS " at the start of |line|.
bool HasLineStampShape(const std::string& line) {
  static const char kShape[] = "dddd-dd-dd dd:dd:dd ";
  if (line.size() < 20) return false;
  for (std::size_t i = 0; i < 20; ++i) {
    const bool digit = line[i] >= '0' && line[i] <= '9';
    if (kShape[i] == 'd' ? !digit : line[i] != kShape[i]) return false;
  }
  return true;
}

// The texts of the lines of a log file, each after its 20-character stamp, in file order. A line
// without the stamp's shape, or a file that ends inside a line, fails the calling test.
std::vector<std::string> WholeLineTexts(const std::string& text) {
  std::vector<std::string> texts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end - start);
    EXPECT_TRUE(HasLineStampShape(line)) << "a torn line: [" << line << "]";
    texts.push_back(line.size() > 20 ? line.substr(20) : line);
  }
  EXPECT_EQ(start, text.size()) << "the file ends in the middle of a line";
  return texts;
}

// The monthly stamp of the system clock now, as a log of kind 1 derives it.
std::string MonthStampNow() {
  const time_t now = std::time(nullptr);
  char stamp[9] = {};
  std::strftime(stamp, sizeof(stamp), PeriodFormat(1), std::localtime(&now));
  return stamp;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class LogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    SetTime(LocalTime(2024, 5, 15, 10, 20, 30));
  }

  std::unique_ptr<CLogEx> MakeLog(const std::string& folder, int periodKind = 1) const {
    auto log = std::make_unique<CLogEx>(folder.c_str(), periodKind);
    log->SetClock(TestClock);
    return log;
  }

  // The file a log in |folder| writes for |stamp|.
  static std::string LogFile(const std::string& folder, const std::string& stamp) {
    return folder + "\\" + kBaseName + stamp + ".log";
  }

  ScopedTempDir dir_;
};

TEST_F(LogTest, FileNameCarriesTheExecutableNameAndThePeriodStampOfItsKind) {
  struct Case {
    const char* name;
    int kind;
    const char* stamp;
  };
  const Case cases[] = {
      {"kind 0: year", 0, "2024"},
      {"kind 1: year and month", 1, "2024-05"},
      {"kind 2: year, month and day", 2, "20240515"},
      {"unknown kind 7 falls back to kind 1", 7, "2024-05"},
      {"unknown kind -1 falls back to kind 1", -1, "2024-05"},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    auto log = MakeLog(dir.path(), c.kind);
    EXPECT_EQ(log->GetFileName(), "Log.log") << c.name << ": nothing is derived before a line";

    log->Write("hello");
    const std::string want = LogFile(dir.path(), c.stamp);
    EXPECT_EQ(log->GetFileName(), want) << c.name;
    EXPECT_NE(ReadFileText(want).find("hello\r\n"), std::string::npos) << c.name;
  }
}

TEST_F(LogTest, EveryLineIsTheTwentyCharacterStampTheTextAndCrLf) {
  SetTime(LocalTime(2024, 5, 1, 14, 3, 27));
  auto log = MakeLog(dir_.path());
  log->Write("Enter function Files().");
  log->Write("");
  log->Write("Failed to create directory C:\\A with reason: 5");

  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")),
            "2024-05-01 14:03:27 Enter function Files().\r\n"
            "2024-05-01 14:03:27 \r\n"
            "2024-05-01 14:03:27 Failed to create directory C:\\A with reason: 5\r\n");
}

TEST_F(LogTest, TraceLinesOfTheSteps) {
  struct Case {
    const char* name;
    void (*trace)(CLogEx&);
    const char* want;
  };
  const Case cases[] = {
      {"enter without parameter", [](CLogEx& l) { l.EnterFunction("Files()", nullptr); },
       "Enter function Files()."},
      {"enter with parameter",
       [](CLogEx& l) { l.EnterFunction("PrepareInstall()", "str is C:\\Apps\\"); },
       "Enter function PrepareInstall() with parameter str is C:\\Apps\\."},
      {"enter with an empty parameter", [](CLogEx& l) { l.EnterFunction("Files()", ""); },
       "Enter function Files() with parameter ."},
      {"leave", [](CLogEx& l) { l.LeaveFunction("Files()"); }, "Leave function Files()."},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    auto log = MakeLog(dir.path());
    c.trace(*log);
    EXPECT_EQ(ReadFileText(LogFile(dir.path(), "2024-05")),
              std::string("2024-05-15 10:20:30 ") + c.want + "\r\n")
        << c.name;
  }
}

TEST_F(LogTest, SecondRunAppendsToTheFileOfTheFirst) {
  MakeLog(dir_.path())->Write("run 1");
  SetTime(LocalTime(2024, 5, 20, 8, 0, 0));
  MakeLog(dir_.path())->Write("run 2");

  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")),
            "2024-05-15 10:20:30 run 1\r\n"
            "2024-05-20 08:00:00 run 2\r\n");
}

TEST_F(LogTest, ChangeOfPeriodClosesTheOldFileAndStartsANewOne) {
  SetTime(LocalTime(2024, 5, 31, 23, 59, 59));
  auto log = MakeLog(dir_.path());
  log->Write("last of May");
  SetTime(LocalTime(2024, 6, 1, 0, 0, 0));
  log->Write("first of June");

  const std::string may = LogFile(dir_.path(), "2024-05");
  const std::string june = LogFile(dir_.path(), "2024-06");
  EXPECT_EQ(log->GetFileName(), june);
  EXPECT_EQ(ReadFileText(may), "2024-05-31 23:59:59 last of May\r\n");
  EXPECT_EQ(ReadFileText(june), "2024-06-01 00:00:00 first of June\r\n");
  // Nobody holds the May file any more: an open without any sharing succeeds.
  UniqueHandle exclusive(CreateFileA(may.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(exclusive) << "the old file is still open, error " << GetLastError();
}

TEST_F(LogTest, PeriodStampAndLineStampAreSeparateReadingsOfTheClock) {
  auto log = MakeLog(dir_.path());
  g_readings = {LocalTime(2024, 5, 31, 23, 59, 59), LocalTime(2024, 6, 1, 0, 0, 0)};
  g_nextReading = 0;
  log->Write("at midnight");

  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")),
            "2024-06-01 00:00:00 at midnight\r\n");
}

TEST_F(LogTest, FolderWithTrailingBackslashGivesADoubledBackslashThatOpens) {
  const std::string folder = dir_.Child("logs");
  auto log = MakeLog(folder + "\\");
  log->Write("doubled");

  EXPECT_EQ(log->GetFileName(), folder + "\\\\" + kBaseName + "2024-05.log");
  EXPECT_EQ(ReadFileText(LogFile(folder, "2024-05")), "2024-05-15 10:20:30 doubled\r\n");
}

TEST_F(LogTest, FileLockedByAnotherHandleLosesLinesUntilItIsReleased) {
  const std::string file = LogFile(dir_.path(), "2024-05");
  MakeLog(dir_.path())->Write("before");

  auto log = MakeLog(dir_.path());
  {
    // Another process's view of the file: readable, but nobody else may write.
    UniqueHandle holder(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    log->Write("lost 1");
    log->Write("lost 2");
  }
  log->Write("after");

  EXPECT_EQ(ReadFileText(file),
            "2024-05-15 10:20:30 before\r\n"
            "2024-05-15 10:20:30 after\r\n");
}

TEST_F(LogTest, NewFolderTakesEffectWithTheNextPeriod) {
  const std::string first = dir_.Child("first");
  const std::string second = dir_.Child("second");
  auto log = MakeLog(first);
  log->Write("May in first");
  log->SetLogDir(second.c_str());
  log->Write("May still in first");
  SetTime(LocalTime(2024, 6, 2, 9, 0, 0));
  log->Write("June in second");

  EXPECT_EQ(ReadFileText(LogFile(first, "2024-05")),
            "2024-05-15 10:20:30 May in first\r\n"
            "2024-05-15 10:20:30 May still in first\r\n");
  EXPECT_EQ(ReadFileText(LogFile(second, "2024-06")), "2024-06-02 09:00:00 June in second\r\n");
  EXPECT_EQ(ReadFileText(LogFile(first, "2024-06")), "<missing>");
}

// A deployment engine's log path: every line goes to that one file, across a change of period,
// and nothing to the derived monthly name.
TEST_F(LogTest, AFixedFileNameHoldsEveryLineWhateverThePeriod) {
  SetTime(LocalTime(2024, 5, 31, 23, 59, 59));
  auto log = MakeLog(dir_.path());
  log->SetFixedFileName("Install Norvane.log");
  log->Write("last of May");
  SetTime(LocalTime(2024, 6, 1, 0, 0, 0));
  log->Write("first of June");

  const std::string fixed = dir_.Child("Install Norvane.log");
  EXPECT_EQ(log->GetFileName(), fixed);
  EXPECT_EQ(ReadFileText(fixed),
            "2024-05-31 23:59:59 last of May\r\n"
            "2024-06-01 00:00:00 first of June\r\n");
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-06")), "<missing>");

  log->SetFixedFileName("");
  log->Write("derived again");
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-06")),
            "2024-06-01 00:00:00 derived again\r\n");
}

TEST_F(LogTest, EmptyFolderMeansTheFolderOfTheExecutable) {
  std::string exeFolder = ModuleFileName();
  ASSERT_FALSE(exeFolder.empty());
  exeFolder.resize(exeFolder.rfind('\\'));

  // Only the folder is chosen; nothing is written, so nothing lands next to the test program.
  EXPECT_EQ(CLogEx("", 1).GetFolder(), exeFolder);
  EXPECT_EQ(CLogEx(nullptr, 1).GetFolder(), exeFolder);
}

// The process-wide log is constructed during static initialisation, where a box or the end of
// the process would stop an unattended run before it could decide anything: should this regress,
// the test program itself ends here.
TEST_F(LogTest, ConstructionWithAFolderThatCannotBeCreatedNeitherStopsNorWrites) {
  CLogEx log(dir_.Child("bad|name").c_str(), 1);
  log.SetClock(TestClock);
  EXPECT_EQ(log.GetFolder(), "");
  log.Write("dropped");
  EXPECT_EQ(log.GetFileName(), "Log.log") << "no file name is derived without a folder";
}

TEST_F(LogTest, TrySetLogDirCreatesTheFolderAndStoresItsFullPath) {
  auto log = MakeLog(dir_.path());
  DWORD error = 12345;
  bool created = false;
  {
    const ScopedCurrentDirectory inTemp(dir_.path());
    ASSERT_TRUE(inTemp.entered());
    created = log->TrySetLogDir("a\\b\\logs", &error);
  }

  EXPECT_TRUE(created);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(IsFolder(dir_.Child("a\\b\\logs")));
  EXPECT_EQ(log->GetFolder(), dir_.Child("a\\b\\logs"));
}

TEST_F(LogTest, FileNameFitsWhenTheFolderAsStoredLeavesRoomForTheName) {
  const std::string work = dir_.Child("work");
  ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
  auto log = MakeLog(dir_.path());
  // The name after the folder: a backslash, the base name, "2024-05" and ".log".
  const std::size_t nameAfterFolder = 1 + std::strlen(kBaseName) + 7 + 4;
  const std::string fits = work + "\\" + std::string(259 - nameAfterFolder - work.size() - 1, 'f');
  EXPECT_TRUE(log->FileNameFitsIn(fits));
  EXPECT_FALSE(log->FileNameFitsIn(fits + "f"));

  // Short as written, too long once the current folder is put in front of it.
  const ScopedCurrentDirectory inWork(work);
  ASSERT_TRUE(inWork.entered());
  const std::string relative = fits.substr(work.size() + 1);
  EXPECT_TRUE(log->FileNameFitsIn(relative));
  EXPECT_FALSE(log->FileNameFitsIn(relative + "f"));
}

TEST_F(LogTest, TrySetLogDirReportsTheErrorOfAFolderThatCannotBeCreated) {
  auto log = MakeLog(dir_.path());
  DWORD error = 0;
  EXPECT_FALSE(log->TrySetLogDir(dir_.Child("bad|name").c_str(), &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(log->GetFolder(), dir_.path()) << "a failure keeps the folder it had";
}

// What the end-of-process and box seams saw, in order.
std::vector<std::string> g_events;

void RecordExit(int code) { g_events.push_back("exit " + std::to_string(code)); }

void RecordBox(const char* text, const char* caption) {
  g_events.push_back(std::string("box [") + caption + "] " + text);
}

TEST_F(LogTest, UncreatableFolderEndsTheProcessWithCodeOneAndABoxOnlyWhenInteractive) {
  struct Case {
    const char* name;
    bool interactive;
    bool box;
  };
  const Case cases[] = {
      {"interactive: the box, then the end", true, true},
      {"unattended: only the end", false, false},
  };
  const std::string bad = dir_.Child("bad|name");
  for (const Case& c : cases) {
    auto log = MakeLog(dir_.path());
    log->SetInteractive(c.interactive);
    log->SetExitFunction(RecordExit);
    log->SetMessageBoxFunction(RecordBox);
    g_events.clear();

    log->SetLogDir(bad.c_str());

    std::vector<std::string> want;
    if (c.box) {
      want.push_back("box [Class LogFileEx] " + bad + " Create Fail. Exit Now! Error ID :123");
    }
    want.push_back("exit 1");
    EXPECT_EQ(g_events, want) << c.name;
  }
}

TEST(LogFolderFailureText, MatchesTheBoxText) {
  EXPECT_EQ(LogFolderFailureText("C:\\Logs", 5), "C:\\Logs Create Fail. Exit Now! Error ID :5");
}

TEST(ExecutableBaseName, TakesTheLastComponentUpToItsLastDot) {
  struct Case {
    const char* name;
    const char* module;
    const char* want;
  };
  const Case cases[] = {
      {"ordinary", "C:\\Program Files\\Setup.exe", "Setup"},
      {"two dots: only the last goes", "C:\\Temp\\Setup.v2.exe", "Setup.v2"},
      {"no dot: the whole last component", "C:\\Tools\\setup", "setup"},
      {"a dot in a folder name is not taken", "C:\\a.b\\setup", "setup"},
      {"no folder", "Setup.exe", "Setup"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExecutableBaseName(c.module), c.want) << c.name;
}

TEST_F(LogTest, OpenForAppendAnswersWhetherAFileIsOpen) {
  struct Case {
    const char* name;
    std::string file;
    bool want;
  };
  const Case cases[] = {
      {"no file name", "", false},
      {"missing folder", dir_.Child("missing\\x.log"), false},
      {"new file", dir_.Child("new.log"), true},
  };
  for (const Case& c : cases) {
    CLog log(c.file.c_str());
    EXPECT_EQ(log.OpenForAppend(), c.want) << c.name;
    EXPECT_EQ(log.OpenForAppend(), c.want) << c.name << " (second call)";
  }
}

TEST_F(LogTest, OpenForAppendKeepsWhatTheFileHeld) {
  const std::string file = dir_.Child("old.log");
  {
    UniqueHandle old(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(old);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(old.get(), "an older line\r\n", 15, &written, nullptr));
  }
  CLog log(file.c_str());
  log.SetClock(TestClock);
  ASSERT_TRUE(log.OpenForAppend());
  log.WriteLine("new, with a length of 8", 8);

  EXPECT_EQ(ReadFileText(file), "an older line\r\n2024-05-15 10:20:30 new, wit\r\n");
}

TEST_F(LogTest, LinesOfConcurrentWritersNeverInterleave) {
  auto log = MakeLog(dir_.path());
  constexpr int kThreads = 4;
  constexpr int kLines = 40;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      for (int i = 0; i < kLines; ++i) {
        log->Write(("writer " + std::to_string(t) + " line " + std::to_string(i)).c_str());
      }
    });
  }
  for (std::thread& writer : writers) writer.join();

  std::string text = ReadFileText(LogFile(dir_.path(), "2024-05"));
  std::vector<std::string> want;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kLines; ++i) {
      want.push_back("2024-05-15 10:20:30 writer " + std::to_string(t) + " line " +
                     std::to_string(i) + "\r\n");
    }
  }
  // Every expected line appears whole, once; together they make up the whole file.
  std::size_t total = 0;
  for (const std::string& line : want) {
    const std::size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    total += line.size();
  }
  EXPECT_EQ(text.size(), total);
}

// Two installers at once: every line of both lands whole, at the end of the file as it is then.
TEST_F(LogTest, LinesOfTwoProcessesSharingTheFileAllLandWhole) {
  const std::string hammer = TestToolPath("log_hammer.exe");
  ASSERT_TRUE(FileExists(hammer)) << hammer << " is missing: build the log_hammer target";
  constexpr int kLines = 1500;
  const char* const names[] = {"first", "second"};
  std::vector<std::thread> runs;
  DWORD errors[2] = {};
  for (int p = 0; p < 2; ++p) {
    runs.emplace_back([&, p] {
      const std::string commandLine = "\"" + hammer + "\" \"" + dir_.path() + "\" " + names[p] +
                                      " " + std::to_string(kLines);
      if (!RunHiddenAndWait(hammer, commandLine, &errors[p]) && errors[p] == 0) errors[p] = 1;
    });
  }
  for (std::thread& run : runs) run.join();
  ASSERT_EQ(errors[0], 0u);
  ASSERT_EQ(errors[1], 0u);

  const std::string text =
      ReadFileText(BuildLogFileName(dir_.path(), "log_hammer", MonthStampNow()));
  const std::vector<std::string> lines = WholeLineTexts(text);
  const std::multiset<std::string> got(lines.begin(), lines.end());
  std::multiset<std::string> want;
  for (const char* name : names) {
    for (int i = 0; i < kLines; ++i) want.insert(std::string(name) + " line " + std::to_string(i));
  }
  EXPECT_TRUE(got == want) << got.size() << " lines of " << want.size()
                           << " arrived whole, each once";
}

// A log whose first line fails with an exception, as a disk error inside a derived log could.
class ThrowingLog : public CLogEx {
 public:
  using CLogEx::CLogEx;
  void WriteLine(const char* text, std::size_t length) override {
    if (throwNext_) {
      throwNext_ = false;
      throw std::runtime_error("write failed");
    }
    CLogEx::WriteLine(text, length);
  }

 private:
  bool throwNext_ = true;
};

TEST_F(LogTest, LockIsReleasedWhenAnExceptionPassesThroughWrite) {
  auto log = std::make_unique<ThrowingLog>(dir_.path().c_str(), 1);
  log->SetClock(TestClock);
  EXPECT_THROW(log->Write("throws"), std::runtime_error);

  // The critical section lets its owner thread in again, so only another thread shows a lock
  // that was never left.
  UniqueHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(done);
  std::thread other([&log, &done] {
    log->Write("from another thread");
    SetEvent(done.get());
  });
  if (WaitForSingleObject(done.get(), 5000) != WAIT_OBJECT_0) {
    // The other thread waits forever: leave it and the log alone rather than destroy the lock
    // under it.
    other.detach();
    log.release();
    done.release();
    FAIL() << "the lock was not released by the exception";
  }
  other.join();
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")),
            "2024-05-15 10:20:30 from another thread\r\n");
}

// ---- The flush thread ---------------------------------------------------------------------

// A flush that waits until the test opens the gate, as for a slow disk, and counts the flushes
// that have completed.
HANDLE g_flushGate = nullptr;
std::atomic<int> g_completedFlushes{0};

BOOL FlushAfterTheGate(HANDLE file) {
  WaitForSingleObject(g_flushGate, INFINITE);
  const BOOL flushed = FlushFileBuffers(file);
  ++g_completedFlushes;
  return flushed;
}

// The gate of FlushAfterTheGate, closed while the object lives unless opened before. Declared
// after the log it holds back, so that it is opened before the log's end waits for the flush.
class FlushGate {
 public:
  FlushGate() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    g_flushGate = event_.get();
    g_completedFlushes = 0;
  }
  ~FlushGate() { Open(); }
  FlushGate(const FlushGate&) = delete;
  FlushGate& operator=(const FlushGate&) = delete;
  void Open() { SetEvent(event_.get()); }

 private:
  UniqueHandle event_;
};

// Runs |call| on a thread of its own; the owner's end waits for the call to return.
class CallOnAnotherThread {
 public:
  explicit CallOnAnotherThread(std::function<void()> call)
      : returned_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_([this, call] {
          call();
          SetEvent(returned_.get());
        }) {}
  ~CallOnAnotherThread() { thread_.join(); }
  CallOnAnotherThread(const CallOnAnotherThread&) = delete;
  CallOnAnotherThread& operator=(const CallOnAnotherThread&) = delete;

  bool ReturnedWithin(DWORD milliseconds) const {
    return WaitForSingleObject(returned_.get(), milliseconds) == WAIT_OBJECT_0;
  }

 private:
  UniqueHandle returned_;
  std::thread thread_;
};

// How long a call that must wait for the gate is given to return anyway: a wrong one returns in
// well under a millisecond.
constexpr DWORD kMustStillWait = 300;
constexpr DWORD kReturnsOnceOpened = 10000;

TEST_F(LogTest, WaitUntilFlushedReturnsOnlyAfterTheFlushOfThatLine) {
  auto log = MakeLog(dir_.path());
  FlushGate gate;
  log->SetFlushFunction(FlushAfterTheGate);
  const LogSequence first = log->Write("first");
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(log->Write("second"), first + 1);
  // The lines are in the file while their flush still waits for the disk.
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")),
            "2024-05-15 10:20:30 first\r\n"
            "2024-05-15 10:20:30 second\r\n");

  int flushesSeen = 0;
  {
    CallOnAnotherThread wait([&] {
      log->WaitUntilFlushed(first + 1);
      flushesSeen = g_completedFlushes;
    });
    EXPECT_FALSE(wait.ReturnedWithin(kMustStillWait)) << "the wait returned before the flush";
    gate.Open();
    EXPECT_TRUE(wait.ReturnedWithin(kReturnsOnceOpened));
  }
  EXPECT_GE(flushesSeen, 1) << "the wait returned before a flush had completed";
}

TEST_F(LogTest, LinesWrittenWhileAFlushWaitsShareTheNextFlush) {
  auto log = MakeLog(dir_.path());
  FlushGate gate;
  log->SetFlushFunction(FlushAfterTheGate);
  LogSequence last = 0;
  for (int i = 0; i < 50; ++i) last = log->Write(("line " + std::to_string(i)).c_str());
  gate.Open();
  log->WaitUntilFlushed(last);
  // The first flush waited at the gate; every line after it waited for one more.
  EXPECT_LE(g_completedFlushes, 2) << "a flush per line";
}

TEST_F(LogTest, ChangeOfPeriodClosesTheOldFileOnlyAfterItsFlush) {
  SetTime(LocalTime(2024, 5, 31, 23, 59, 59));
  auto log = MakeLog(dir_.path());
  FlushGate gate;
  log->SetFlushFunction(FlushAfterTheGate);
  log->Write("last of May");

  SetTime(LocalTime(2024, 6, 1, 0, 0, 0));
  {
    CallOnAnotherThread june([&] { log->Write("first of June"); });
    EXPECT_FALSE(june.ReturnedWithin(kMustStillWait))
        << "the May file was closed while its flush was still to come";
    gate.Open();
    EXPECT_TRUE(june.ReturnedWithin(kReturnsOnceOpened));
  }
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-05")), "2024-05-31 23:59:59 last of May\r\n");
  EXPECT_EQ(ReadFileText(LogFile(dir_.path(), "2024-06")),
            "2024-06-01 00:00:00 first of June\r\n");
}

// One run's lines, from the last seconds of May into June (two clock readings a line: the period
// stamp and the line stamp), written by a log with its flush thread and by one that flushes each
// line as it writes it: the two make the same files, byte for byte.
TEST_F(LogTest, FlushThreadLeavesTheBytesOfTheLineByLineWay) {
  const time_t may = LocalTime(2024, 5, 31, 23, 59, 58);
  const time_t june = LocalTime(2024, 6, 1, 0, 0, 0);
  std::vector<time_t> readings;
  std::vector<std::string> texts;
  for (int i = 0; i < 300; ++i) {
    const time_t when = i < 150 ? may + i / 100 : june + (i - 150) / 100;
    readings.insert(readings.end(), {when, when});
    texts.push_back(i % 50 == 7 ? "" : "Enter function Step" + std::to_string(i) + "().");
  }
  // At midnight: the period stamp still reads May, the line stamp already June.
  readings[2 * 149 + 1] = june;

  const std::string threaded = dir_.Child("threaded");
  const std::string lineByLine = dir_.Child("line by line");
  for (const std::string& folder : {threaded, lineByLine}) {
    auto log = MakeLog(folder);
    log->SetFlushOnWritingThread(folder == lineByLine);
    g_readings = readings;
    g_nextReading = 0;
    for (const std::string& text : texts) log->Write(text.c_str());
  }

  for (const char* stamp : {"2024-05", "2024-06"}) {
    const std::string want = ReadFileText(LogFile(lineByLine, stamp));
    EXPECT_EQ(std::count(want.begin(), want.end(), '\n'), 150) << stamp;
    EXPECT_EQ(ReadFileText(LogFile(threaded, stamp)), want) << stamp;
  }
}

// A run killed from outside right after its last line: the line is in the file although the
// flush of the lines never happened.
TEST_F(LogTest, LinesWrittenBeforeTheProcessIsKilledAreInTheFile) {
  const std::string hammer = TestToolPath("log_hammer.exe");
  ASSERT_TRUE(FileExists(hammer)) << hammer << " is missing: build the log_hammer target";
  constexpr int kLines = 200;
  const std::string eventName = "log_hammer_logged_" + std::to_string(GetCurrentProcessId());
  const UniqueHandle logged(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
  ASSERT_TRUE(logged);

  std::string commandLine = "\"" + hammer + "\" \"" + dir_.path() + "\" killed " +
                            std::to_string(kLines) + " " + eventName;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(CreateProcessA(hammer.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                             CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started))
      << "CreateProcessA failed for " << hammer << " with error " << GetLastError();
  const UniqueHandle thread(started.hThread);
  const UniqueHandle process(started.hProcess);
  const bool wroteAll = WaitForSingleObject(logged.get(), 20000) == WAIT_OBJECT_0;
  TerminateProcess(process.get(), 1);
  WaitForSingleObject(process.get(), 10000);
  ASSERT_TRUE(wroteAll) << "log_hammer never reported its last line";

  const std::string text =
      ReadFileText(BuildLogFileName(dir_.path(), "log_hammer", MonthStampNow()));
  const std::vector<std::string> got = WholeLineTexts(text);
  std::vector<std::string> want;
  for (int i = 0; i < kLines; ++i) want.push_back("killed line " + std::to_string(i));
  EXPECT_EQ(got, want);
}

}  // namespace
