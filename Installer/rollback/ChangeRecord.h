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
  // The scope of the run: the frames below name what its changes may touch; a record whose
  // changes reach outside its scope is refused as a whole (RecordScope.h). Not changes.
  // The run's company (|path|) and product (|backup|): the first frame of every record.
  kScopeProduct = 12,
  // A folder of the run (|path|): the company folder, the Start-menu company folder. The
  // changes may lie in it or below it; the folders above it may be made and removed when empty.
  kScopeFolder = 13,
  // A folder the run puts links into (|path|): a desktop. Only links (".lnk") in it.
  kScopeLinkFolder = 14,
  // A registry key of the run (|root|\|key|): the Uninstall entry, the product's settings.
  kScopeKey = 15,
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
  static ChangeRecord ScopeProduct(const std::string& companyName, const std::string& appName);
  static ChangeRecord ScopeFolder(const std::string& path);
  static ChangeRecord ScopeLinkFolder(const std::string& path);
  static ChangeRecord ScopeKey(HKEY root, const std::string& key);
};

// Whether |kind| describes the run's scope rather than a change.
bool IsScopeKind(ChangeKind kind);

bool operator==(const ChangeRecord& a, const ChangeRecord& b);
inline bool operator!=(const ChangeRecord& a, const ChangeRecord& b) { return !(a == b); }

// The bytes every record file starts with; the scope frames follow (kScopeProduct first).
std::string JournalHeader();

// |record| as one frame: its length, the length's complement, the CRC-32 of the contents, the
// contents (the kind and the kind's fields, each text as a 32-bit length and its bytes). Any
// byte is allowed in every text.
std::string EncodeRecord(const ChangeRecord& record);

// The largest frame a run writes: two paths of 32,767 double-byte characters (a file set aside),
// or a registry value of the Uninstall entry or the settings, with room to spare. A frame that
// declares more is damage, whatever follows.
constexpr std::size_t kMaxFrameBytes = 256 * 1024;
// The largest record file a run writes: a file set aside takes a frame of about 150 bytes with
// the paths of a deep installation, so 64 MiB hold some 400,000 of them, 40 times a reinstallation
// of a product of 10,000 files over itself, the largest the installer is measured with. A larger
// file is not read at all: it is damaged.
constexpr std::size_t kMaxJournalBytes = 64 * 1024 * 1024;

// What a record file holds, read frame by frame.
struct JournalContents {
  enum class State {
    kWhole,        // every frame read (a torn last frame, which a kill leaves, is left out)
    kCutHeader,    // empty or cut inside its header: the run recorded nothing yet
    kOldFormat,    // the header of an earlier format, which names no scope
    kWrongHeader,  // not a record file
    kDamaged,      // a frame that does not check with more of the file after it
  };
  State state = State::kWhole;
  // Every whole record in file order, up to the end or to the damage.
  std::vector<ChangeRecord> records;
  bool droppedTornFrame = false;
};

// Reads a record file's bytes frame by frame: a frame that is longer than kMaxFrameBytes, whose
// length or contents do not check while more of the file follows, of an unknown kind, or whose
// fields do not fill it exactly is damage.
JournalContents ReadJournalBytes(const std::string& bytes);

// ReadJournalBytes for the callers that only take a whole record: true for kWhole and
// kCutHeader, with |records| (and |droppedTornFrame|, when not null); false with |records| empty
// otherwise.
bool DecodeJournal(const std::string& bytes, std::vector<ChangeRecord>* records,
                   bool* droppedTornFrame = nullptr);

// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320): "123456789" gives 0xCBF43926.
uint32_t Crc32(const void* data, std::size_t size);

}  // namespace rollback
