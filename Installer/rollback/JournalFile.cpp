#include "rollback/JournalFile.h"

#include "support/CallFailure.h"

namespace rollback {

bool JournalFile::Create(const std::string& folder, const std::string& runId) {
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string name = attempt == 1 ? runId : runId + "-" + std::to_string(attempt);
    const std::string path = folder + "\\" + name + kJournalFileExtension;
    // Read sharing only: nobody may change or delete the record while the run goes on, and
    // a reader that does not share writing (recovery) cannot open it, so even a run of the
    // product that missed the product's mutex never takes a live run for a killed one.
    file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_) {
      path_ = path;
      if (Append(JournalHeader(), Flushing::kWithNext)) return true;
      // A file without its header could not hold a record anyway.
      file_.reset();
      DeleteFileA(path.c_str());
      path_.clear();
      return false;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      LogCallFailure("CreateFileA", path, error);
      return false;
    }
  }
  LogCallFailure("CreateFileA", folder + "\\" + runId + kJournalFileExtension, ERROR_FILE_EXISTS);
  return false;
}

bool JournalFile::Append(const std::string& bytes, Flushing flush) {
  if (!file_) return false;
  DWORD written = 0;
  if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    LogCallFailure("WriteFile", path_, GetLastError());
    return false;
  }
  if (written != bytes.size()) {
    LogCallFailure("WriteFile", path_, ERROR_HANDLE_DISK_FULL);
    return false;
  }
  return flush == Flushing::kWithNext || this->Flush();
}

bool JournalFile::Flush() {
  if (!file_) return false;
  if (FlushFileBuffers(file_.get())) return true;
  LogCallFailure("FlushFileBuffers", path_, GetLastError());
  return false;
}

bool ReadJournalFile(const std::string& path, std::string* bytes, DWORD* error) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *error = GetLastError();
    if (*error != ERROR_SHARING_VIOLATION) LogCallFailure("CreateFileA", path, *error);
    return false;
  }
  bytes->clear();
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size)) {
    *error = GetLastError();
    LogCallFailure("GetFileSizeEx", path, *error);
    return false;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxJournalBytes) {
    *error = ERROR_FILE_TOO_LARGE;
    return false;
  }
  bytes->reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[64 * 1024];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
    if (read == 0) return true;
    // A file that grows while it is read is held to the same bound.
    if (bytes->size() + read > kMaxJournalBytes) {
      *error = ERROR_FILE_TOO_LARGE;
      return false;
    }
    bytes->append(buffer, read);
  }
  *error = GetLastError();
  LogCallFailure("ReadFile", path, *error);
  return false;
}

void DeleteJournalFile(const std::string& path, const std::vector<ChangeRecord>& records) {
  if (!DeleteFileA(path.c_str())) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) LogCallFailure("DeleteFileA", path, error);
  }
  RemoveMadeRecordFolders(records);
}

void RemoveMadeRecordFolders(const std::vector<ChangeRecord>& records) {
  for (auto record = records.rbegin(); record != records.rend(); ++record) {
    if (record->kind == ChangeKind::kMadeRecordFolder) RemoveDirectoryA(record->path.c_str());
  }
}

bool RetireJournalFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(path.c_str())) return true;
  LogCallFailure("DeleteFileA", path, GetLastError());
  const std::string retired = path + ".retired";
  if (MoveFileExA(path.c_str(), retired.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  LogCallFailure("MoveFileExA", path + " to " + retired, GetLastError());
  return false;
}

bool WriteJournalFileBack(const std::string& path, const std::string& bytes) {
  JournalFile file;
  file.file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.file_) {
    LogCallFailure("CreateFileA", path, GetLastError());
    return false;
  }
  file.path_ = path;
  return file.Append(bytes, JournalFile::Flushing::kNow);
}

bool SetJournalFileAside(const std::string& path, const std::string& what, std::string* aside) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 1; attempt <= 100; ++attempt) {
    *aside = path + "." + what + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
    if (MoveFileExA(path.c_str(), aside->c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  LogCallFailure("MoveFileExA", path + " to " + *aside, error);
  return false;
}

}  // namespace rollback
