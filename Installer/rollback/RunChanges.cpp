#include "rollback/RunChanges.h"

#include <utility>

namespace rollback {

RunChanges::RunChanges(std::string recordFolder) : recordFolder_(std::move(recordFolder)) {}

RunChanges::~RunChanges() = default;

ChangeJournal& RunChanges::Journal() {
  if (!journal_) {
    journal_ = std::make_unique<ChangeJournal>(recordFolder_);
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
