#include "rollback/ChangeRecord.h"

#include <array>
#include <utility>

namespace rollback {
namespace {

// The format's version is in the header: 2 added the scope frames.
constexpr char kHeader[] = "QVX change record 2\r\n";
constexpr char kOldHeader[] = "QVX change record 1\r\n";
constexpr std::size_t kHeaderSize = sizeof(kHeader) - 1;
// Length, its complement and the CRC-32 of the contents.
constexpr std::size_t kFrameHeaderSize = 12;

const uint32_t kLocalMachine =
    static_cast<uint32_t>(reinterpret_cast<uintptr_t>(HKEY_LOCAL_MACHINE));
const uint32_t kCurrentUser = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(HKEY_CURRENT_USER));

void PutU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutText(std::string& out, const std::string& text) {
  PutU32(out, static_cast<uint32_t>(text.size()));
  out += text;
}

uint32_t GetU32(const std::string& bytes, std::size_t at) {
  uint32_t value = 0;
  for (int index = 3; index >= 0; --index) {
    value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<std::size_t>(index)]);
  }
  return value;
}

// Reads the fields of one frame's contents; every read checks that the bytes are there.
class FieldReader {
 public:
  explicit FieldReader(const std::string& bytes) : bytes_(bytes) {}

  bool U8(uint8_t* value) {
    if (bytes_.size() - at_ < 1) return false;
    *value = static_cast<uint8_t>(bytes_[at_++]);
    return true;
  }
  bool U32(uint32_t* value) {
    if (bytes_.size() - at_ < 4) return false;
    *value = GetU32(bytes_, at_);
    at_ += 4;
    return true;
  }
  bool Text(std::string* text) {
    uint32_t length = 0;
    if (!U32(&length) || bytes_.size() - at_ < length) return false;
    text->assign(bytes_, at_, length);
    at_ += length;
    return true;
  }
  bool Root(HKEY* root) {
    uint32_t value = 0;
    if (!U32(&value) || (value != kLocalMachine && value != kCurrentUser)) return false;
    *root = value == kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    return true;
  }
  bool Flag(bool* flag) {
    uint8_t value = 0;
    if (!U8(&value) || value > 1) return false;
    *flag = value == 1;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

bool HasPathOnly(ChangeKind kind) {
  return kind == ChangeKind::kCreatedFolder || kind == ChangeKind::kFolderExisted ||
         kind == ChangeKind::kCreatedFile || kind == ChangeKind::kCreatedBackupFolder ||
         kind == ChangeKind::kMadeRecordFolder || kind == ChangeKind::kCreatedSharedFolder ||
         kind == ChangeKind::kScopeFolder || kind == ChangeKind::kScopeLinkFolder;
}

bool HasBackup(ChangeKind kind) {
  return kind == ChangeKind::kMovedAside || kind == ChangeKind::kCopiedAside ||
         kind == ChangeKind::kScopeProduct;
}

bool HasKey(ChangeKind kind) {
  return kind == ChangeKind::kRegistryValue || kind == ChangeKind::kCreatedKey ||
         kind == ChangeKind::kScopeKey;
}

void EncodeFields(const ChangeRecord& record, std::string& out) {
  out += static_cast<char>(record.kind);
  if (HasPathOnly(record.kind) || HasBackup(record.kind)) PutText(out, record.path);
  if (HasBackup(record.kind)) PutText(out, record.backup);
  if (HasKey(record.kind)) {
    PutU32(out, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record.root)));
    PutText(out, record.key);
  }
  if (record.kind == ChangeKind::kRegistryValue) {
    PutText(out, record.valueName);
    out += static_cast<char>(record.valueExisted ? 1 : 0);
    PutU32(out, record.valueType);
    PutText(out, record.valueBytes);
  }
}

bool DecodeFields(const std::string& contents, ChangeRecord* record) {
  FieldReader reader(contents);
  uint8_t kind = 0;
  if (!reader.U8(&kind) || kind < static_cast<uint8_t>(ChangeKind::kCreatedFolder) ||
      kind > static_cast<uint8_t>(ChangeKind::kScopeKey)) {
    return false;
  }
  record->kind = static_cast<ChangeKind>(kind);
  bool read = true;
  if (HasPathOnly(record->kind) || HasBackup(record->kind)) read = reader.Text(&record->path);
  if (read && HasBackup(record->kind)) read = reader.Text(&record->backup);
  if (read && HasKey(record->kind)) {
    read = reader.Root(&record->root) && reader.Text(&record->key);
  }
  if (read && record->kind == ChangeKind::kRegistryValue) {
    uint32_t type = 0;
    read = reader.Text(&record->valueName) && reader.Flag(&record->valueExisted) &&
           reader.U32(&type) && reader.Text(&record->valueBytes);
    record->valueType = type;
  }
  return read && reader.AtEnd();
}

bool AllZero(const std::string& bytes, std::size_t from) {
  return bytes.find_first_not_of('\0', from) == std::string::npos;
}

enum class FrameOutcome { kRecord, kTornTail, kDamaged };

// Reads the frame at |*at| and moves |*at| past it.
FrameOutcome ReadFrame(const std::string& bytes, std::size_t* at, ChangeRecord* record) {
  const std::size_t remaining = bytes.size() - *at;
  if (remaining < kFrameHeaderSize) return FrameOutcome::kTornTail;
  const uint32_t length = GetU32(bytes, *at);
  // No run writes a frame this long: not even a torn end can claim it.
  if (GetU32(bytes, *at + 4) == ~length && length > kMaxFrameBytes) return FrameOutcome::kDamaged;
  // A length that does not check cannot say where the next frame begins; only the zeros that a
  // write cut short by a power failure can leave count as a torn end.
  if (GetU32(bytes, *at + 4) != ~length) {
    return AllZero(bytes, *at) ? FrameOutcome::kTornTail : FrameOutcome::kDamaged;
  }
  if (length > remaining - kFrameHeaderSize) return FrameOutcome::kTornTail;
  const std::string contents = bytes.substr(*at + kFrameHeaderSize, length);
  const std::size_t end = *at + kFrameHeaderSize + length;
  if (Crc32(contents.data(), contents.size()) != GetU32(bytes, *at + 8)) {
    return end == bytes.size() ? FrameOutcome::kTornTail : FrameOutcome::kDamaged;
  }
  if (!DecodeFields(contents, record)) return FrameOutcome::kDamaged;
  *at = end;
  return FrameOutcome::kRecord;
}

ChangeRecord WithPath(ChangeKind kind, const std::string& path) {
  ChangeRecord record;
  record.kind = kind;
  record.path = path;
  return record;
}

ChangeRecord WithKey(ChangeKind kind, HKEY root, const std::string& key) {
  ChangeRecord record;
  record.kind = kind;
  record.root = root;
  record.key = key;
  return record;
}

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t entry = 0; entry < 256; ++entry) {
    uint32_t value = entry;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[entry] = value;
  }
  return table;
}

}  // namespace

ChangeRecord ChangeRecord::CreatedFolder(const std::string& path) {
  return WithPath(ChangeKind::kCreatedFolder, path);
}
ChangeRecord ChangeRecord::CreatedSharedFolder(const std::string& path) {
  return WithPath(ChangeKind::kCreatedSharedFolder, path);
}
ChangeRecord ChangeRecord::FolderExisted(const std::string& path) {
  return WithPath(ChangeKind::kFolderExisted, path);
}
ChangeRecord ChangeRecord::CreatedFile(const std::string& path) {
  return WithPath(ChangeKind::kCreatedFile, path);
}
ChangeRecord ChangeRecord::MovedAside(const std::string& path, const std::string& backup) {
  ChangeRecord record = WithPath(ChangeKind::kMovedAside, path);
  record.backup = backup;
  return record;
}
ChangeRecord ChangeRecord::CopiedAside(const std::string& path, const std::string& backup) {
  ChangeRecord record = WithPath(ChangeKind::kCopiedAside, path);
  record.backup = backup;
  return record;
}
ChangeRecord ChangeRecord::RegistryValue(HKEY root, const std::string& key,
                                         const std::string& valueName, DWORD type,
                                         const std::string& bytes) {
  ChangeRecord record = MissingRegistryValue(root, key, valueName);
  record.valueExisted = true;
  record.valueType = type;
  record.valueBytes = bytes;
  return record;
}
ChangeRecord ChangeRecord::MissingRegistryValue(HKEY root, const std::string& key,
                                                const std::string& valueName) {
  ChangeRecord record = WithKey(ChangeKind::kRegistryValue, root, key);
  record.valueName = valueName;
  return record;
}
ChangeRecord ChangeRecord::CreatedKey(HKEY root, const std::string& key) {
  return WithKey(ChangeKind::kCreatedKey, root, key);
}
ChangeRecord ChangeRecord::CreatedBackupFolder(const std::string& path) {
  return WithPath(ChangeKind::kCreatedBackupFolder, path);
}
ChangeRecord ChangeRecord::MadeRecordFolder(const std::string& path) {
  return WithPath(ChangeKind::kMadeRecordFolder, path);
}
ChangeRecord ChangeRecord::Committed() { return ChangeRecord(); }
ChangeRecord ChangeRecord::ScopeProduct(const std::string& companyName,
                                        const std::string& appName) {
  ChangeRecord record = WithPath(ChangeKind::kScopeProduct, companyName);
  record.backup = appName;
  return record;
}
ChangeRecord ChangeRecord::ScopeFolder(const std::string& path) {
  return WithPath(ChangeKind::kScopeFolder, path);
}
ChangeRecord ChangeRecord::ScopeLinkFolder(const std::string& path) {
  return WithPath(ChangeKind::kScopeLinkFolder, path);
}
ChangeRecord ChangeRecord::ScopeKey(HKEY root, const std::string& key) {
  return WithKey(ChangeKind::kScopeKey, root, key);
}

bool IsScopeKind(ChangeKind kind) {
  return kind == ChangeKind::kScopeProduct || kind == ChangeKind::kScopeFolder ||
         kind == ChangeKind::kScopeLinkFolder || kind == ChangeKind::kScopeKey;
}

bool operator==(const ChangeRecord& a, const ChangeRecord& b) {
  return a.kind == b.kind && a.path == b.path && a.backup == b.backup && a.root == b.root &&
         a.key == b.key && a.valueName == b.valueName && a.valueExisted == b.valueExisted &&
         a.valueType == b.valueType && a.valueBytes == b.valueBytes;
}

std::string JournalHeader() { return std::string(kHeader, kHeaderSize); }

std::string EncodeRecord(const ChangeRecord& record) {
  std::string contents;
  EncodeFields(record, contents);
  std::string frame;
  frame.reserve(kFrameHeaderSize + contents.size());
  const auto length = static_cast<uint32_t>(contents.size());
  PutU32(frame, length);
  PutU32(frame, ~length);
  PutU32(frame, Crc32(contents.data(), contents.size()));
  return frame + contents;
}

JournalContents ReadJournalBytes(const std::string& bytes) {
  JournalContents contents;
  const std::string header = JournalHeader();
  // Cut inside the header: the run had not recorded anything yet.
  if (bytes.size() < header.size() && header.compare(0, bytes.size(), bytes) == 0) {
    contents.state = JournalContents::State::kCutHeader;
    return contents;
  }
  if (bytes.compare(0, header.size(), header) != 0) {
    const bool old = bytes.compare(0, sizeof(kOldHeader) - 1, kOldHeader) == 0;
    contents.state =
        old ? JournalContents::State::kOldFormat : JournalContents::State::kWrongHeader;
    return contents;
  }
  std::size_t at = header.size();
  while (at < bytes.size()) {
    ChangeRecord record;
    const FrameOutcome outcome = ReadFrame(bytes, &at, &record);
    if (outcome == FrameOutcome::kTornTail) {
      contents.droppedTornFrame = true;
      break;
    }
    if (outcome == FrameOutcome::kDamaged) {
      contents.state = JournalContents::State::kDamaged;
      break;
    }
    contents.records.push_back(std::move(record));
  }
  return contents;
}

bool DecodeJournal(const std::string& bytes, std::vector<ChangeRecord>* records,
                   bool* droppedTornFrame) {
  JournalContents contents = ReadJournalBytes(bytes);
  const bool whole = contents.state == JournalContents::State::kWhole ||
                     contents.state == JournalContents::State::kCutHeader;
  if (droppedTornFrame) *droppedTornFrame = whole && contents.droppedTornFrame;
  records->clear();
  if (whole) *records = std::move(contents.records);
  return whole;
}

uint32_t Crc32(const void* data, std::size_t size) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t index = 0; index < size; ++index) {
    crc = table[(crc ^ bytes[index]) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

}  // namespace rollback
