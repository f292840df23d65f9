#include "rollback/RunChanges.h"

#include <utility>

#include "rollback/RecordFolder.h"
#include "rollback/RollbackLog.h"
#include "support/CallFailure.h"
#include "support/UniqueHandle.h"

namespace rollback {

RunChanges::RunChanges(std::string recordFolder, RunScope scope)
    : recordFolder_(std::move(recordFolder)), scope_(std::move(scope)) {}

bool RunChanges::CanRecord() const {
  if (recordFolder_.empty()) {
    LogLine("No folder for the record of this run is known; this run changes nothing.");
    return false;
  }
  std::vector<std::string> made;
  bool writable = MakeRecordFolder(recordFolder_, &made);
  if (writable) {
    const std::string probe = recordFolder_ + "\\probe.tmp";
    const UniqueHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr));
    DWORD written = 0;
    writable = file && WriteFile(file.get(), "QVX", 3, &written, nullptr) && written == 3;
    if (!writable) LogCallFailure("WriteFile", probe, GetLastError());
  }
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    RemoveDirectoryA(folder->c_str());
  }
  if (!writable) {
    LogLine("The record of this run cannot be written in " + recordFolder_ +
            "; this run changes nothing.");
  }
  return writable;
}

RunChanges::~RunChanges() = default;

ChangeJournal& RunChanges::Journal() {
  if (!journal_) {
    journal_ = std::make_unique<ChangeJournal>(recordFolder_, scope_);
    if (!backupParent_.empty()) journal_->SetBackupParent(backupParent_);
    for (const std::string& folder : sharedFolders_) journal_->MarkSharedFolder(folder);
  }
  return *journal_;
}

void RunChanges::SetBackupParent(const std::string& folder) {
  backupParent_ = folder;
  if (journal_) journal_->SetBackupParent(folder);
}

void RunChanges::MarkSharedFolder(const std::string& folder) {
  sharedFolders_.push_back(folder);
  if (journal_) journal_->MarkSharedFolder(folder);
}

void RunChanges::Commit() {
  if (!journal_) return;
  journal_->Commit();
  journal_.reset();
}

void RunChanges::RollBack() {
  if (!journal_) return;
  journal_->RollBack();
  journal_.reset();
}

}  // namespace rollback
