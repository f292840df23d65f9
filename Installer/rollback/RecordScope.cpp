#include "rollback/RecordScope.h"

#include <cctype>

#include "package/codec/EntryPath.h"
#include "rollback/RollbackLog.h"
#include "support/PathHelpers.h"

namespace rollback {
namespace {

std::string Folded(const std::string& text) {
  std::string folded = text;
  if (!folded.empty()) CharLowerBuffA(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return Folded(a) == Folded(b); }

// "C:\<relative path that passes the entry path check>".
bool IsFullLocalPath(const std::string& path) {
  return path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         path[2] == '\\' && payload::CheckEntryPath(path.substr(3)).empty();
}

// |path| is |folder| itself, or lies below it by a clean relative path.
bool IsInOrBelow(const std::string& folder, const std::string& path) {
  if (SameName(folder, path)) return true;
  return path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
         SameName(folder, path.substr(0, folder.size())) &&
         payload::CheckEntryPath(path.substr(folder.size() + 1)).empty();
}

bool IsBelow(const std::string& folder, const std::string& path) {
  return !SameName(folder, path) && IsInOrBelow(folder, path);
}

bool IsCleanKey(const std::string& key) {
  if (key.empty() || key.front() == '\\' || key.back() == '\\') return false;
  return key.find("\\\\") == std::string::npos;
}

class Scope {
 public:
  explicit Scope(const std::string& recordFolder) : recordFolder_(recordFolder) {}

  // Adds what a scope frame declares; "" or why the frame itself is refused.
  std::string Declare(const ChangeRecord& record) {
    switch (record.kind) {
      case ChangeKind::kScopeProduct:
        return DeclareProduct(record);
      case ChangeKind::kScopeFolder:
      case ChangeKind::kScopeLinkFolder:
        if (!IsFullLocalPath(record.path)) return "its scope names the folder " + record.path;
        (record.kind == ChangeKind::kScopeFolder ? folders_ : linkFolders_).push_back(record.path);
        return {};
      default:
        if (!IsCleanKey(record.key)) return "its scope names the key " + record.key;
        keys_.push_back(record);
        return {};
    }
  }

  bool HasProduct() const { return hasProduct_; }

  bool Holds(const ChangeRecord& record) const {
    switch (record.kind) {
      case ChangeKind::kCreatedFolder:
      case ChangeKind::kCreatedBackupFolder:
        return InFolders(record.path);
      case ChangeKind::kCreatedSharedFolder:
      case ChangeKind::kFolderExisted:
        return InFolders(record.path) || AboveFolders(record.path);
      case ChangeKind::kCreatedFile:
        return InFolders(record.path) || IsLink(record.path);
      case ChangeKind::kMovedAside:
      case ChangeKind::kCopiedAside:
        return (InFolders(record.path) || IsLink(record.path)) && BelowFolders(record.backup);
      case ChangeKind::kRegistryValue:
        return InKeys(record, false);
      case ChangeKind::kCreatedKey:
        return InKeys(record, true);
      case ChangeKind::kMadeRecordFolder:
        return IsRecordFolderLevel(record.path);
      case ChangeKind::kCommitted:
        return true;
      default:
        return false;
    }
  }

 private:
  std::string DeclareProduct(const ChangeRecord& record) {
    // The record folder is <common application data>\<companyName>\Setup\<appName>.
    const std::string setup = GetPathFolder(recordFolder_.c_str());
    const std::string company = GetPathFolder(setup.c_str());
    if (!SameName(record.backup, LastPathComponent(recordFolder_)) ||
        !SameName(record.path, LastPathComponent(company))) {
      return "it is the record of " + record.path + " " + record.backup +
             ", not of the product whose records are here";
    }
    hasProduct_ = true;
    return {};
  }

  bool InFolders(const std::string& path) const {
    if (!IsFullLocalPath(path)) return false;
    for (const std::string& folder : folders_) {
      if (IsInOrBelow(folder, path)) return true;
    }
    return false;
  }
  bool BelowFolders(const std::string& path) const {
    for (const std::string& folder : folders_) {
      if (IsBelow(folder, path)) return true;
    }
    return false;
  }
  bool AboveFolders(const std::string& path) const {
    if (!IsFullLocalPath(path)) return false;
    for (const std::string& folder : folders_) {
      if (IsBelow(path, folder)) return true;
    }
    return false;
  }
  bool IsLink(const std::string& path) const {
    if (path.size() < 4 || !SameName(path.substr(path.size() - 4), ".lnk")) return false;
    for (const std::string& folder : linkFolders_) {
      if (IsBelow(folder, path)) return true;
    }
    return false;
  }
  bool InKeys(const ChangeRecord& record, bool orAbove) const {
    if (!IsCleanKey(record.key)) return false;
    const std::string key = Folded(record.key);
    for (const ChangeRecord& scope : keys_) {
      if (scope.root != record.root) continue;
      const std::string scopeKey = Folded(scope.key);
      if (key == scopeKey) return true;
      if (key.compare(0, scopeKey.size() + 1, scopeKey + "\\") == 0) return true;
      if (orAbove && scopeKey.compare(0, key.size() + 1, key + "\\") == 0) return true;
    }
    return false;
  }
  bool IsRecordFolderLevel(const std::string& path) const {
    std::string level = recordFolder_;
    for (int up = 0; up < 3; ++up) {
      if (SameName(level, path)) return true;
      level = GetPathFolder(level.c_str());
    }
    return false;
  }

  std::string recordFolder_;
  bool hasProduct_ = false;
  std::vector<std::string> folders_;
  std::vector<std::string> linkFolders_;
  std::vector<ChangeRecord> keys_;
};

std::string Named(const ChangeRecord& record) {
  if (record.kind == ChangeKind::kRegistryValue || record.kind == ChangeKind::kCreatedKey) {
    return RegistryKeyText(record.root, record.key) +
           (record.kind == ChangeKind::kRegistryValue ? " value " + record.valueName : "");
  }
  return record.backup.empty() ? record.path : record.path + " (backup " + record.backup + ")";
}

}  // namespace

std::vector<ChangeRecord> ScopeRecords(const RunScope& scope) {
  std::vector<ChangeRecord> records = {
      ChangeRecord::ScopeProduct(scope.companyName, scope.appName)};
  for (const std::string& folder : scope.folders) records.push_back(ChangeRecord::ScopeFolder(folder));
  for (const std::string& folder : scope.linkFolders) {
    records.push_back(ChangeRecord::ScopeLinkFolder(folder));
  }
  for (const RunScope::Key& key : scope.keys) records.push_back(ChangeRecord::ScopeKey(key.root, key.key));
  return records;
}

std::string FindOutOfScope(const std::vector<ChangeRecord>& records,
                           const std::string& recordFolder) {
  Scope scope(recordFolder);
  for (const ChangeRecord& record : records) {
    if (IsScopeKind(record.kind)) {
      if (record.kind != ChangeKind::kScopeProduct && !scope.HasProduct()) {
        return "its scope does not begin with its product";
      }
      const std::string refused = scope.Declare(record);
      if (!refused.empty()) return refused;
      continue;
    }
    if (!scope.HasProduct()) return "it names no scope";
    if (!scope.Holds(record)) return "it names " + Named(record) + ", outside its scope";
  }
  return {};
}

}  // namespace rollback
