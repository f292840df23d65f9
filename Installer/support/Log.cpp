#include "support/Log.h"

#include <cstring>
#include <utility>

#include "support/PathHelpers.h"
#include "support/SystemPaths.h"

namespace {

constexpr char kConstructionFileName[] = "Log.log";
constexpr char kFolderFailureCaption[] = "Class LogFileEx";
constexpr std::size_t kLineStampLength = 20;
// Kept at its 20 characters so that every line has the same shape even when the clock gives a
// time the C runtime cannot convert.
constexpr char kUnknownLineStamp[] = "0000-00-00 00:00:00 ";
constexpr char kUnknownPeriodStamp[] = "unknown";

time_t SystemClock() { return std::time(nullptr); }

void EndProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

void ShowFailureBox(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
}

bool IsValidPeriodKind(int periodKind) { return periodKind >= 0 && periodKind <= 2; }

// The local time of |when|; null when the C runtime cannot convert it. The last conversion is
// kept (per thread, as the C runtime keeps its result): a run writes thousands of lines within
// one second, two stamps each, and every conversion asks the system for the time zone again.
const std::tm* LocalTime(time_t when) {
  thread_local bool converted = false;
  thread_local time_t lastWhen = 0;
  thread_local std::tm lastLocal = {};
  if (!converted || when != lastWhen) {
    const std::tm* local = std::localtime(&when);
    if (local == nullptr) return nullptr;
    lastLocal = *local;
    lastWhen = when;
    converted = true;
  }
  return &lastLocal;
}

// Formats |when| as local time; "" when it cannot be converted or does not fit |capacity|.
std::string FormatLocalTime(time_t when, const char* format, std::size_t capacity) {
  const std::tm* local = LocalTime(when);
  if (local == nullptr) return std::string();
  std::string text(capacity, '\0');
  text.resize(std::strftime(&text[0], capacity, format, local));
  return text;
}

std::string PeriodStamp(int periodKind, time_t when) {
  // The stamp has at most 8 characters (kind 2); 9 bytes hold it with its terminator.
  std::string stamp = FormatLocalTime(when, PeriodFormat(periodKind), 9);
  return stamp.empty() ? kUnknownPeriodStamp : stamp;
}

// A handle that may only append: without FILE_WRITE_DATA every write lands at the end of the file
// as it is at that moment, so two installers writing one log at once (they share it for writing)
// leave every line of both, interleaved by whole lines (under Wine with the help of AppendTurn).
// A file pointer sought once would have each process write over the other's lines at its own
// offset.
HANDLE OpenForAppending(const std::string& fileName, DWORD disposition) {
  return CreateFileA(fileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One process's turn to append to a log that other processes may append to at the same time,
// for as long as the object lives. Windows appends through a handle without FILE_WRITE_DATA
// atomically, but Wine emulates such an append with a look at the file's end and a write there,
// so two processes can write at the same offset and over each other's lines. The turn is an
// exclusive lock on one byte far beyond the end of any log (2^63 - 2^32), so no reader of the
// file ever meets it. A lock the system refuses leaves the write to the system's own append.
class AppendTurn {
 public:
  explicit AppendTurn(HANDLE file) : file_(file) {
    OVERLAPPED where = LockedByte();
    locked_ = LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where) != FALSE;
  }
  ~AppendTurn() {
    if (!locked_) return;
    OVERLAPPED where = LockedByte();
    UnlockFileEx(file_, 0, 1, 0, &where);
  }
  AppendTurn(const AppendTurn&) = delete;
  AppendTurn& operator=(const AppendTurn&) = delete;

 private:
  static OVERLAPPED LockedByte() {
    OVERLAPPED where = {};
    where.OffsetHigh = 0x7FFFFFFF;
    return where;
  }

  HANDLE file_;
  bool locked_ = false;
};

std::string LineStamp(time_t when) {
  std::string stamp = FormatLocalTime(when, "%Y-%m-%d %H:%M:%S ", kLineStampLength + 1);
  return stamp.size() == kLineStampLength ? stamp : kUnknownLineStamp;
}

}  // namespace

// ---- CLog ----------------------------------------------------------------------------------

CLog::CLog(const char* fileName)
    : fileName_(fileName != nullptr ? fileName : ""), clock_(SystemClock) {}

CLog::~CLog() = default;

bool CLog::OpenForAppend() {
  if (file_) return true;
  if (fileName_.empty()) return false;

  // Opening an existing file first, and creating it only when it is missing, guarantees that a
  // second run never truncates the lines of the first.
  UniqueHandle file(OpenForAppending(fileName_, OPEN_EXISTING));
  if (!file && GetLastError() == ERROR_FILE_NOT_FOUND) {
    file.reset(OpenForAppending(fileName_, OPEN_ALWAYS));
  }
  if (!file) return false;
  file_ = std::move(file);
  return true;
}

void CLog::WriteLine(const char* text, std::size_t length) {
  if (!file_) return;
  // The line goes to the file in one write: it lands whole, and a line costs one call.
  std::string line = LineStamp(Now());
  line.append(text, length);
  line += "\r\n";
  {
    const AppendTurn turn(file_.get());
    DWORD written = 0;
    WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  // The line is in the file now, so a killed process keeps it; the flush to the disk, which
  // waits for the disk for a fifth of a millisecond and more, follows on the log's thread.
  flusher_.LineWritten(file_.get());
}

LogSequence CLog::LastLine() const { return flusher_.LastWritten(); }

void CLog::WaitUntilFlushed(LogSequence line) { flusher_.WaitUntilFlushed(line); }

void CLog::WaitUntilAllFlushed() { flusher_.WaitUntilAllFlushed(); }

void CLog::SetClock(Clock clock) { clock_ = clock != nullptr ? clock : SystemClock; }

void CLog::SetFlushFunction(LogFlusher::FlushFunction flush) { flusher_.SetFlushFunction(flush); }

void CLog::SetFlushOnWritingThread(bool onWritingThread) {
  flusher_.SetFlushOnWritingThread(onWritingThread);
}

time_t CLog::Now() const { return clock_(); }

void CLog::SwitchFile(std::string fileName) {
  // The old file reaches the disk before it is closed, and the flush thread is done with it.
  flusher_.WaitUntilAllFlushed();
  file_.reset();
  fileName_ = std::move(fileName);
}

// ---- CLogEx --------------------------------------------------------------------------------

CLogEx::CLogEx(const char* folder, int periodKind)
    : CLog(kConstructionFileName),
      periodKind_(IsValidPeriodKind(periodKind) ? periodKind : 1),
      baseName_(ExecutableBaseName(ModuleFileName())),
      interactive_(true),
      exitFunction_(EndProcess),
      messageBox_(ShowFailureBox) {
  const bool noFolder = folder == nullptr || *folder == '\0';
  const std::string chosen = noFolder ? GetPathFolder(ModuleFileName().c_str()) : folder;
  // The process-wide log is constructed during static initialisation, where nobody can decide
  // anything yet: a folder that cannot be made leaves the log without one, and start-up, which
  // sets the folder it chose before the first line, decides about a box and the end.
  TrySetLogDir(chosen.c_str(), nullptr);
}

CLogEx::~CLogEx() = default;

void CLogEx::SetLogDir(const char* folder) {
  DWORD error = ERROR_SUCCESS;
  if (TrySetLogDir(folder, &error)) return;
  EndWithoutLogFolder(folder, error);
}

void CLogEx::EndWithoutLogFolder(const char* folder, DWORD error) {
  if (interactive_) {
    messageBox_(LogFolderFailureText(folder, error).c_str(), kFolderFailureCaption);
  }
  // ExitProcess ends the flush thread wherever it is: the lines so far reach the disk first.
  WaitUntilAllFlushed();
  exitFunction_(1);
}

bool CLogEx::TrySetLogDir(const char* folder, DWORD* error) {
  if (folder == nullptr) folder = "";
  if (!EnsurePath(folder, true, nullptr) && !CreateDirectoryA(folder, nullptr)) {
    const DWORD lastError = GetLastError();
    if (error != nullptr) *error = lastError;
    return false;
  }

  char fullPath[MAX_PATH];
  const DWORD length = GetFullPathNameA(folder, MAX_PATH, fullPath, nullptr);
  const bool fits = length > 0 && length < MAX_PATH;
  // Start-up runs before other threads exist; the lock only keeps GetFolder consistent.
  CriticalSectionLock hold(lock_);
  folder_ = fits ? std::string(fullPath, length) : std::string(folder);
  if (error != nullptr) *error = ERROR_SUCCESS;
  return true;
}

void CLogEx::SetFixedFileName(const std::string& fileName) {
  CriticalSectionLock hold(lock_);
  fixedFileName_ = fileName;
  // Back to the derived name: the next line derives it again.
  periodStamp_.clear();
}

void CLogEx::SetInteractive(bool showBoxes) { interactive_ = showBoxes; }

void CLogEx::SetExitFunction(ExitFunction exitFunction) {
  exitFunction_ = exitFunction != nullptr ? exitFunction : EndProcess;
}

void CLogEx::SetMessageBoxFunction(MessageBoxFunction messageBox) {
  messageBox_ = messageBox != nullptr ? messageBox : ShowFailureBox;
}

LogSequence CLogEx::Write(const char* text) {
  if (text == nullptr) text = "";
  CriticalSectionLock hold(lock_);

  // Without a folder the name would fall back to the root of the current drive.
  if (folder_.empty()) return LastLine();
  if (!fixedFileName_.empty()) {
    const std::string fixed = folder_ + "\\" + fixedFileName_;
    if (FileName() != fixed) SwitchFile(fixed);
  } else {
    const std::string stamp = PeriodStamp(periodKind_, Now());
    if (stamp != periodStamp_) {
      SwitchFile(BuildLogFileName(folder_, baseName_, stamp));
      periodStamp_ = stamp;
    }
  }
  // A file that cannot be opened (a missing folder, access denied, another process holding it
  // without write sharing) costs this line only: the installation goes on, and the next line
  // tries to open it again.
  if (!OpenForAppend()) return LastLine();
  WriteLine(text, std::strlen(text));
  // The lock is still held, so no other line came in between.
  return LastLine();
}

void CLogEx::EnterFunction(const char* name, const char* parameter) {
  std::string line = "Enter function ";
  line += name != nullptr ? name : "";
  if (parameter != nullptr) {
    line += " with parameter ";
    line += parameter;
  }
  line += '.';
  Write(line.c_str());
}

void CLogEx::LeaveFunction(const char* name) {
  std::string line = "Leave function ";
  line += name != nullptr ? name : "";
  line += '.';
  Write(line.c_str());
}

bool CLogEx::FileNameFitsIn(const std::string& folder) const {
  return FileNameIn(folder).size() < MAX_PATH;
}

std::string CLogEx::FileNameIn(const std::string& folder) const {
  const std::string fullPath = FullPathName(folder);
  return BuildLogFileName(fullPath.empty() ? folder : fullPath, baseName_,
                          PeriodStamp(periodKind_, Now()));
}

std::string CLogEx::GetFileName() const {
  CriticalSectionLock hold(lock_);
  return FileName();
}

std::string CLogEx::GetFolder() const {
  CriticalSectionLock hold(lock_);
  return folder_;
}

// ---- Pure helpers --------------------------------------------------------------------------

std::string ExecutableBaseName(const std::string& moduleFileName) {
  std::string name = LastPathComponent(moduleFileName);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

const char* PeriodFormat(int periodKind) {
  switch (periodKind) {
    case 0:
      return "%Y";
    case 2:
      return "%Y%m%d";
    default:
      return "%Y-%m";
  }
}

std::string BuildLogFileName(const std::string& folder, const std::string& baseName,
                             const std::string& stamp) {
  return folder + "\\" + baseName + stamp + ".log";
}

std::string LogFolderFailureText(const char* folder, DWORD error) {
  return std::string(folder != nullptr ? folder : "") + " Create Fail. Exit Now! Error ID :" +
         std::to_string(error);
}
