// The record format, without the system: records round-trip whatever their bytes, a torn last
// record is dropped, damage anywhere else makes the file unreadable.
#include "rollback/ChangeRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rollback {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  return bytes;
}

// One record of every kind, with the awkward bytes paths, names and data can hold.
std::vector<ChangeRecord> AwkwardRecords() {
  const std::string longPath = "C:\\" + std::string(255, 'p') + "\\x";
  const std::string nul("a\0b", 3);
  return {
      ChangeRecord::CreatedFolder("C:\\Apps\\QVX"),
      ChangeRecord::CreatedSharedFolder("C:\\Apps"),
      ChangeRecord::FolderExisted("C:\\Apps\\QVX"),
      ChangeRecord::CreatedFile(longPath),
      ChangeRecord::MovedAside("C:\\Apps\\QVX\\quorvin.exe", "C:\\Apps\\QVX\\SetupBackup-1\\1"),
      ChangeRecord::CopiedAside("C:\\\xE9t\xE9 \x95\x5C\\AppInfo.xml", ""),
      ChangeRecord::RegistryValue(HKEY_LOCAL_MACHINE, "Software\\Uninstall\\Norvane_new",
                                  "Display\\Name\r\n", REG_BINARY, AllBytes()),
      ChangeRecord::RegistryValue(HKEY_CURRENT_USER, "", "", REG_SZ, nul),
      ChangeRecord::MissingRegistryValue(HKEY_CURRENT_USER, "Software\\QVX", AllBytes()),
      ChangeRecord::CreatedKey(HKEY_LOCAL_MACHINE, "Software\\" + AllBytes().substr(1)),
      ChangeRecord::CreatedBackupFolder("D:\\QVX\\SetupBackup-01D9-42"),
      ChangeRecord::MadeRecordFolder("C:\\ProgramData\\QVX"),
      ChangeRecord::RegistryValue(HKEY_CURRENT_USER, "Software\\QVX", "Big", REG_BINARY,
                                  std::string(200000, '\xFF')),
      ChangeRecord::Committed(),
      // Last, so that the torn-record test cuts through every kind of field.
      ChangeRecord::RegistryValue(HKEY_LOCAL_MACHINE, "Software\\QVX", "Last", REG_MULTI_SZ,
                                  AllBytes()),
  };
}

std::string Journal(const std::vector<ChangeRecord>& records) {
  std::string bytes = JournalHeader();
  for (const ChangeRecord& record : records) bytes += EncodeRecord(record);
  return bytes;
}

TEST(ChangeRecordTest, Crc32HasTheStandardCheckValue) {
  EXPECT_EQ(0xCBF43926u, Crc32("123456789", 9));
  EXPECT_EQ(0u, Crc32("", 0));
}

TEST(ChangeRecordTest, EveryKindRoundTripsWithAwkwardBytes) {
  const std::vector<ChangeRecord> records = AwkwardRecords();
  std::vector<ChangeRecord> decoded;
  bool torn = true;
  ASSERT_TRUE(DecodeJournal(Journal(records), &decoded, &torn));
  EXPECT_FALSE(torn);
  ASSERT_EQ(records.size(), decoded.size());
  for (std::size_t index = 0; index < records.size(); ++index) {
    EXPECT_TRUE(records[index] == decoded[index]) << "record " << index;
  }
}

// A kill in the middle of an append leaves the file cut anywhere inside its last frame, or
// (after a power failure) a last frame that is all zeros or has other bytes than were written.
TEST(ChangeRecordTest, ATornLastRecordIsDropped) {
  const std::vector<ChangeRecord> records = AwkwardRecords();
  const std::string whole = Journal(records);
  const std::size_t lastFrame = whole.size() - EncodeRecord(records.back()).size();
  const std::vector<ChangeRecord> kept(records.begin(), records.end() - 1);
  for (std::size_t cut = lastFrame + 1; cut < whole.size(); ++cut) {
    std::vector<ChangeRecord> decoded;
    bool torn = false;
    ASSERT_TRUE(DecodeJournal(whole.substr(0, cut), &decoded, &torn)) << "cut at " << cut;
    EXPECT_TRUE(torn) << "cut at " << cut;
    EXPECT_TRUE(decoded == kept) << "cut at " << cut;
  }

  const struct {
    const char* name;
    std::string bytes;
  } tails[] = {
      {"zeros in place of the last frame",
       whole.substr(0, lastFrame) + std::string(whole.size() - lastFrame, '\0')},
      {"the last frame's contents changed",
       whole.substr(0, whole.size() - 1) + static_cast<char>(whole.back() ^ 1)},
  };
  for (const auto& tail : tails) {
    std::vector<ChangeRecord> decoded;
    ASSERT_TRUE(DecodeJournal(tail.bytes, &decoded)) << tail.name;
    EXPECT_TRUE(decoded == kept) << tail.name;
  }
}

TEST(ChangeRecordTest, AFileCutInsideItsHeaderHoldsNoRecords) {
  const std::string header = JournalHeader();
  for (std::size_t cut = 0; cut <= header.size(); ++cut) {
    std::vector<ChangeRecord> decoded(1);
    EXPECT_TRUE(DecodeJournal(header.substr(0, cut), &decoded)) << "cut at " << cut;
    EXPECT_TRUE(decoded.empty()) << "cut at " << cut;
  }
}

// A record whose frame is whole but wrong, with more of the file after it, cannot be told
// from a file that lies: the whole file is refused rather than half of a run undone.
TEST(ChangeRecordTest, DamageBeforeTheLastRecordMakesTheFileUnreadable) {
  const std::vector<ChangeRecord> records = {
      ChangeRecord::CreatedFolder("C:\\Apps\\QVX"),
      ChangeRecord::MovedAside("C:\\Apps\\QVX\\a.exe", "C:\\B\\1"),
      ChangeRecord::CreatedFile("C:\\Apps\\QVX\\b.exe"),
  };
  const std::string whole = Journal(records);
  const std::size_t second = JournalHeader().size() + EncodeRecord(records[0]).size();
  const auto flipped = [&](std::size_t at) {
    std::string bytes = whole;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    return bytes;
  };
  // A frame with a known kind, a valid CRC and contents that do not fit the kind.
  const auto withContents = [&](const std::string& contents) {
    const auto length = static_cast<uint32_t>(contents.size());
    const uint32_t crc = Crc32(contents.data(), contents.size());
    const uint32_t fields[] = {length, ~length, crc};
    std::string frame;
    for (uint32_t field : fields) {
      for (int shift = 0; shift < 32; shift += 8) frame += static_cast<char>(field >> shift);
    }
    return JournalHeader() + frame + contents + EncodeRecord(records[2]);
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"another header", "QVX change record 3\r\n" + whole.substr(JournalHeader().size())},
      {"not a record file", "<?xml version=\"1.0\"?>"},
      {"a length that does not check", flipped(second)},
      {"its complement changed", flipped(second + 4)},
      {"a CRC that does not match", flipped(second + 8)},
      {"a changed kind", flipped(second + 12)},
      {"a changed path byte", flipped(second + 20)},
      {"an unknown kind", withContents(std::string(1, '\x0B'))},
      {"kind zero", withContents(std::string(1, '\0'))},
      {"a text longer than its frame", withContents(std::string("\x03\x09\0\0\0abc", 8))},
      {"bytes left after the fields", withContents(std::string("\x0A\x00", 2))},
      {"a registry root that is neither machine nor user",
       withContents(std::string("\x07\x00\x00\x00\x80\0\0\0\0", 9))},
  };
  for (const auto& c : cases) {
    std::vector<ChangeRecord> decoded(1);
    EXPECT_FALSE(DecodeJournal(c.bytes, &decoded)) << c.name;
    EXPECT_TRUE(decoded.empty()) << c.name;
  }
}

}  // namespace
}  // namespace rollback
