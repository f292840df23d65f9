// The file that holds one run's record on disk, so that the next run of the product finds the
// changes of a run that was killed.
#pragma once

#include <string>
#include <vector>

#include "rollback/ChangeRecord.h"
#include "support/UniqueHandle.h"

namespace rollback {

// How every record file's name ends; recovery looks for nothing else.
constexpr char kJournalFileExtension[] = ".journal";

// One run's record file, open for appending while the run goes on. Failed calls are logged
// ("<call> failed for <path> with error <n>."); the caller decides what a failure means.
class JournalFile {
 public:
  JournalFile() = default;

  // Creates "<runId>.journal" in the existing |folder| (or "<runId>-<n>.journal" for the first
  // free n when that name is taken: no run's record is ever opened by another) and writes the
  // header, flushed with the first record. True when the file is open afterwards.
  bool Create(const std::string& folder, const std::string& runId);

  // How an append reaches the disk.
  enum class Flushing {
    kNow,        // flushed before Append answers: the record of a change is there before it begins
    kWithNext,   // left to the next flush: for what has happened already, whose record is worth
                 // less than the 1 to 3 ms a flush costs (the header, the folders made for the file)
  };

  // Appends |bytes| in one write and flushes them as |flush| says. True when all succeeded.
  bool Append(const std::string& bytes, Flushing flush = Flushing::kNow);

  // Flushes everything appended so far to the disk. True when it succeeded.
  bool Flush();

  // Closes the file; the record stays on disk.
  void Close() { file_.reset(); }

  bool IsOpen() const { return static_cast<bool>(file_); }
  friend bool WriteJournalFileBack(const std::string& path, const std::string& bytes);
  // The file's full path; "" until Create succeeded.
  const std::string& path() const { return path_; }

 private:
  UniqueHandle file_;
  std::string path_;
};

// Reads the whole record file |path| into |bytes|. False when it cannot be opened or read, with
// the code in |error|: ERROR_SHARING_VIOLATION while a run still writes it (its writer lets
// nobody else open it for reading alongside), which is not logged; ERROR_FILE_TOO_LARGE for a
// file larger than kMaxJournalBytes, which no run writes (not read, not logged); any other
// failure is logged.
bool ReadJournalFile(const std::string& path, std::string* bytes, DWORD* error);

// Deletes the record file |path|, then the folders that |records| say the run made for it
// (RemoveMadeRecordFolders).
void DeleteJournalFile(const std::string& path, const std::vector<ChangeRecord>& records);

// Removes the folders that |records| say the run made for its record (kMadeRecordFolder),
// deepest first, each only when it is empty: the record of another run, or of another product
// of the company, may share it.
void RemoveMadeRecordFolders(const std::vector<ChangeRecord>& records);

// Ends the life of the record file |path| before anything it names is touched, so that no later
// run acts on it again: a read-only attribute is cleared, then the file is deleted, or, when it
// cannot be (a scanner holds it), renamed to "<path>.retired". False (logged) when neither works.
bool RetireJournalFile(const std::string& path);

// Writes |bytes| as the record file |path| anew (it must not exist), flushed: a retired record
// whose rollback could not be finished comes back for the next run. False (logged) when it
// cannot.
bool WriteJournalFileBack(const std::string& path, const std::string& bytes);

// Renames the record file |path| to "<path>.<what>" (or "<path>.<what>-<n>" for the first free
// n), where recovery no longer looks and an administrator can; |aside| receives the new path.
// False (logged) when it cannot.
bool SetJournalFileAside(const std::string& path, const std::string& what, std::string* aside);

}  // namespace rollback
