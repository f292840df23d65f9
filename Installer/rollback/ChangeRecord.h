// One change a run makes to the machine, as the run records it before making it, and the byte
// form of a run's record file.
//
// A record file is a header followed by one frame per record, each appended and flushed before
// the change it describes begins. A run killed in the middle of an append leaves a torn last
// frame; since its change had not begun, it is dropped. Damage anywhere else makes the whole
// file unreadable: undoing only part of a run could leave a mix of two installations.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rollback {

// The numbers are part of the file format: never reuse one.
enum class ChangeKind : uint8_t {
  // The run made the folder |path|, and so everything below it. Undo: remove the tree.
  kCreatedFolder = 1,
  // The create of |path| did not make it (another process had made it, or the create failed):
  // cancels the latest earlier kCreatedFolder or kCreatedBackupFolder of the same path.
  kFolderExisted = 2,
  // |path| is a new file in a folder that existed before. Undo: delete it if it is there.
  kCreatedFile = 3,
  // The file |path| is renamed to |backup| before it is replaced. Undo, only when |backup| is
  // there: remove whatever is at |path| and move |backup| back.
  kMovedAside = 4,
  // The file |path| is copied to |backup| before it is changed in place. Undo as kMovedAside.
  kCopiedAside = 5,
  // The value |valueName| of |root|\|key| as it was before the run's first write to it (or that
  // there was none). Undo: write it back, or delete the value.
  kRegistryValue = 6,
  // The run creates the key |root|\|key|. Undo: delete it with its values unless it has subkeys.
  kCreatedKey = 7,
  // The folder |path| holds the run's backups. Undo, and after a successful run: remove the tree.
  kCreatedBackupFolder = 8,
  // The run made the folder |path| for its record file; it goes with the record.
  kMadeRecordFolder = 9,
  // The run succeeded: only its backups and its record are left to remove.
  kCommitted = 10,
  // The run made the folder |path|, which other products fill too (the company folder, its
  // Start-menu folder and the folders above them): what the run put into it has records of its
  // own. Undo: remove the folder only when it is empty.
  kCreatedSharedFolder = 11,
};

struct ChangeRecord {
  ChangeKind kind = ChangeKind::kCommitted;
  std::string path;     // folders and files
  std::string backup;   // kMovedAside, kCopiedAside
  HKEY root = nullptr;  // registry records: HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
  std::string key;
  std::string valueName;
  bool valueExisted = false;
  DWORD valueType = REG_NONE;
  std::string valueBytes;

  static ChangeRecord CreatedFolder(const std::string& path);
  static ChangeRecord CreatedSharedFolder(const std::string& path);
  static ChangeRecord FolderExisted(const std::string& path);
  static ChangeRecord CreatedFile(const std::string& path);
  static ChangeRecord MovedAside(const std::string& path, const std::string& backup);
  static ChangeRecord CopiedAside(const std::string& path, const std::string& backup);
  // A value that was there: its type and bytes.
  static ChangeRecord RegistryValue(HKEY root, const std::string& key, const std::string& valueName,
                                    DWORD type, const std::string& bytes);
  // A value that was not there.
  static ChangeRecord MissingRegistryValue(HKEY root, const std::string& key,
                                           const std::string& valueName);
  static ChangeRecord CreatedKey(HKEY root, const std::string& key);
  static ChangeRecord CreatedBackupFolder(const std::string& path);
  static ChangeRecord MadeRecordFolder(const std::string& path);
  static ChangeRecord Committed();
};

bool operator==(const ChangeRecord& a, const ChangeRecord& b);
inline bool operator!=(const ChangeRecord& a, const ChangeRecord& b) { return !(a == b); }

// The bytes every record file starts with.
std::string JournalHeader();

// |record| as one frame: its length, the length's complement, the CRC-32 of the contents, the
// contents (the kind and the kind's fields, each text as a 32-bit length and its bytes). Any
// byte is allowed in every text.
std::string EncodeRecord(const ChangeRecord& record);

// Reads a whole record file. True when it is readable: |records| receives every complete record
// in file order, a torn last frame left out (|droppedTornFrame|, when not null, says whether
// there was one). A file cut inside its header holds no record yet and reads as empty. False
// when the file is damaged (a wrong header, a frame whose length or contents do not check with
// more of the file after it, an unknown kind, fields that do not fill their frame exactly);
// |records| is then empty.
bool DecodeJournal(const std::string& bytes, std::vector<ChangeRecord>* records,
                   bool* droppedTornFrame = nullptr);

// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320): "123456789" gives 0xCBF43926.
uint32_t Crc32(const void* data, std::size_t size);

}  // namespace rollback
