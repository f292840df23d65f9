// CRegisterKey and WriteMachineString against the real registry of the test prefix, below keys
// named after the test process (SOFTWARE\QvxTest<pid>) that each test removes again.
#include "support/RegisterKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kTestRoot = "QvxTest" + std::to_string(GetCurrentProcessId());
const std::string kTestKey = "SOFTWARE\\" + kTestRoot;

// Deletes SOFTWARE\QvxTest<pid> of |hive| in the registry view |view| (0: the program's own).
void DeleteTestKey(HKEY hive, REGSAM view) {
  HKEY software = nullptr;
  if (RegOpenKeyExA(hive, "SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteTreeA(software, kTestRoot.c_str());
  RegCloseKey(software);
}

// The status of opening |path| with the plain registry functions, not through CRegisterKey.
LONG ProbeKey(HKEY hive, const std::string& path, REGSAM access = KEY_READ) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(hive, path.c_str(), 0, access, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

// A value as the registry holds it, read with the plain registry functions.
struct StoredValue {
  LONG status = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::string bytes;
};

StoredValue ReadRaw(HKEY hive, const std::string& path, const std::string& name,
                    REGSAM access = KEY_READ) {
  StoredValue stored;
  HKEY key = nullptr;
  stored.status = RegOpenKeyExA(hive, path.c_str(), 0, access, &key);
  if (stored.status != ERROR_SUCCESS) return stored;
  char buffer[4096];
  DWORD size = sizeof(buffer);
  stored.status = RegQueryValueExA(key, name.c_str(), nullptr, &stored.type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
  if (stored.status == ERROR_SUCCESS) stored.bytes.assign(buffer, size);
  RegCloseKey(key);
  return stored;
}

void WriteRaw(HKEY hive, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())));
  RegCloseKey(key);
}

// Every test starts without its keys and leaves none behind, in both hives and both views.
class RegisterKeyTest : public testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    DeleteTestKey(HKEY_CURRENT_USER, 0);
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
      DeleteTestKey(HKEY_LOCAL_MACHINE, view);
    }
  }
};

TEST_F(RegisterKeyTest, ReadingFromAMissingKeyCreatesItAndLeavesTheOutputAlone) {
  const std::string path = kTestKey + "\\Fresh";
  ASSERT_EQ(ERROR_FILE_NOT_FOUND, ProbeKey(HKEY_CURRENT_USER, path));

  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, path, KEY_READ));
  std::string text = "before";
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.ReadString("HostList", text));
  EXPECT_EQ("before", text);
  DWORD number = 7;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.ReadDword("Port", number));
  EXPECT_EQ(7u, number);
  key.Close();

  EXPECT_EQ(ERROR_SUCCESS, ProbeKey(HKEY_CURRENT_USER, path)) << "the key is left behind, empty";
}

TEST_F(RegisterKeyTest, ReadStringTakesTextUpToTheFirstNulWithinTheBuffer) {
  struct Case {
    const char* name;
    DWORD type;
    std::string stored;
    LONG wantStatus;
    std::string wantText;  // what the output holds afterwards; it starts as "unchanged"
  };
  const std::string unchanged = "unchanged";
  const Case cases[] = {
      {"a list", REG_SZ, std::string("h1 h2", 6), ERROR_SUCCESS, "h1 h2"},
      {"an empty text", REG_SZ, std::string(1, '\0'), ERROR_SUCCESS, ""},
      {"511 characters and the NUL", REG_SZ, std::string(511, 'x') + '\0', ERROR_SUCCESS,
       std::string(511, 'x')},
      {"512 characters and the NUL", REG_SZ, std::string(512, 'x') + '\0', ERROR_MORE_DATA,
       unchanged},
      {"bytes with a NUL inside", REG_BINARY, std::string("ab\0cd", 5), ERROR_SUCCESS, "ab"},
      {"bytes without a NUL", REG_BINARY, "abc", ERROR_INVALID_DATA, unchanged},
      {"512 bytes without a NUL", REG_BINARY, std::string(512, 'y'), ERROR_INVALID_DATA, unchanged},
      {"513 bytes without a NUL", REG_BINARY, std::string(513, 'y'), ERROR_MORE_DATA, unchanged},
      {"no bytes at all", REG_BINARY, "", ERROR_INVALID_DATA, unchanged},
      {"a number without a zero byte", REG_DWORD, "ABCD", ERROR_INVALID_DATA, unchanged},
  };
  for (const Case& c : cases) {
    WriteRaw(HKEY_CURRENT_USER, kTestKey, "Value", c.type, c.stored);
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_READ)) << c.name;
    std::string text = unchanged;
    EXPECT_EQ(c.wantStatus, key.ReadString("Value", text)) << c.name;
    EXPECT_EQ(c.wantText, text) << c.name;
  }
}

TEST_F(RegisterKeyTest, WriteStringStoresTheTextWithItsNul) {
  const char* const texts[] = {"", "h1 h2", "C:\\Program Files\\QVX"};
  for (const char* text : texts) {
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_WRITE)) << text;
    EXPECT_EQ(ERROR_SUCCESS, key.WriteString("Value", text)) << text;
    key.Close();

    const StoredValue stored = ReadRaw(HKEY_CURRENT_USER, kTestKey, "Value");
    ASSERT_EQ(ERROR_SUCCESS, stored.status) << text;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type) << text;
    EXPECT_EQ(std::string(text) + '\0', stored.bytes) << "'" << text << "'";
  }
}

TEST_F(RegisterKeyTest, NumbersAndBytesComeBackAsWritten) {
  const std::string bytes("\x01\x00\xff QVX\x00", 8);
  {
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_WRITE));
    EXPECT_EQ(ERROR_SUCCESS, key.WriteDword("Number", 0x12345678));
    EXPECT_EQ(ERROR_SUCCESS,
              key.WriteBinary("Bytes", bytes.data(), static_cast<DWORD>(bytes.size())));
  }
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), ReadRaw(HKEY_CURRENT_USER, kTestKey, "Number").type);
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), ReadRaw(HKEY_CURRENT_USER, kTestKey, "Bytes").type);

  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_READ));
  DWORD number = 0;
  EXPECT_EQ(ERROR_SUCCESS, key.ReadDword("Number", number));
  EXPECT_EQ(0x12345678u, number);

  char buffer[32] = {};
  DWORD size = sizeof(buffer);
  EXPECT_EQ(ERROR_SUCCESS, key.ReadBinary("Bytes", buffer, size));
  EXPECT_EQ(bytes, std::string(buffer, size));

  // Too small a buffer: the size needed comes back.
  DWORD small = 3;
  EXPECT_EQ(ERROR_MORE_DATA, key.ReadBinary("Bytes", buffer, small));
  EXPECT_EQ(bytes.size(), small);

  // Eight bytes do not fit a number; the output stays.
  number = 5;
  EXPECT_EQ(ERROR_MORE_DATA, key.ReadDword("Bytes", number));
  EXPECT_EQ(5u, number);
}

TEST_F(RegisterKeyTest, CloseTwiceIsHarmlessAndLeavesNoKey) {
  WriteRaw(HKEY_CURRENT_USER, kTestKey, "Value", REG_SZ, std::string("v", 2));
  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_READ));
  key.Close();
  key.Close();
  EXPECT_EQ(nullptr, key.GetHandle());
  std::string text = "unchanged";
  EXPECT_EQ(ERROR_INVALID_HANDLE, key.ReadString("Value", text));
  EXPECT_EQ("unchanged", text);
}

// The registry gives a freed handle value out again at once, so a second close would hit a key
// that someone else opened in the meantime.
TEST_F(RegisterKeyTest, DestructorAfterCloseDoesNotCloseAgain) {
  WriteRaw(HKEY_CURRENT_USER, kTestKey, "Value", REG_SZ, std::string("v", 2));
  HKEY other = nullptr;
  {
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_READ));
    const HKEY closed = key.GetHandle();
    key.Close();
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, KEY_READ, &other));
    ASSERT_EQ(closed, other) << "the test needs the freed handle value to be given out again";
  }
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(other, "Value", nullptr, nullptr, nullptr, nullptr))
      << "the destructor closed a handle it no longer owned";
  RegCloseKey(other);
}

TEST_F(RegisterKeyTest, OpeningAgainClosesTheKeyOpenedBefore) {
  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey + "\\First", KEY_READ));
  const HKEY first = key.GetHandle();
  ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey + "\\Second", KEY_READ));
  EXPECT_EQ(kTestKey + "\\Second", key.GetSubKeyName());
  key.Close();
  EXPECT_EQ(ERROR_INVALID_HANDLE,
            RegQueryInfoKeyA(first, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr))
      << "the first key's handle leaked";
}

TEST_F(RegisterKeyTest, FailedOpenLeavesNoKeyAndTheValueCallsFail) {
  CRegisterKey key;
  // A path that starts with a backslash is not a valid sub-key path.
  EXPECT_EQ(ERROR_BAD_PATHNAME, key.Open(HKEY_CURRENT_USER, "\\" + kTestKey, KEY_WRITE));
  EXPECT_EQ(nullptr, key.GetHandle());
  EXPECT_EQ(ERROR_INVALID_HANDLE, key.WriteString("Value", "text"));
  EXPECT_EQ(ERROR_INVALID_HANDLE, key.WriteDword("Value", 1));
  DWORD number = 3;
  EXPECT_EQ(ERROR_INVALID_HANDLE, key.ReadDword("Value", number));
  EXPECT_EQ(3u, number);
}

// The installer is a 32-bit program: what it writes below HKEY_LOCAL_MACHINE\SOFTWARE lands in
// the 32-bit view (WOW6432Node of the 64-bit test prefix), where the product's programs read it.
TEST_F(RegisterKeyTest, MachineValuesLandInThe32BitView) {
  const std::string path = kTestKey + "\\View";
  {
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, path, KEY_WRITE));
    ASSERT_EQ(ERROR_SUCCESS, key.WriteString("HostList", "h1 h2"));
  }
  const StoredValue view32 =
      ReadRaw(HKEY_LOCAL_MACHINE, path, "HostList", KEY_READ | KEY_WOW64_32KEY);
  EXPECT_EQ(ERROR_SUCCESS, view32.status);
  EXPECT_EQ(std::string("h1 h2", 6), view32.bytes);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ProbeKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_64KEY))
      << "the value must not be in the 64-bit view";

  CRegisterKey reader;
  ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_LOCAL_MACHINE, path, KEY_READ));
  std::string text;
  EXPECT_EQ(ERROR_SUCCESS, reader.ReadString("HostList", text));
  EXPECT_EQ("h1 h2", text) << "reading goes through the same view as writing";
}

TEST_F(RegisterKeyTest, WriteMachineStringAnswersTrueWhetherOrNotItWrote) {
  struct Case {
    const char* name;
    std::string subKey;
    std::string probePath;  // where the value would be, in the 32-bit view
    bool written;
  };
  const Case cases[] = {
      {"a new key", kTestKey + "\\Uninstall\\Norvane_new", kTestKey + "\\Uninstall\\Norvane_new",
       true},
      {"an invalid sub-key path", "\\" + kTestKey + "\\Bad", kTestKey + "\\Bad", false},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(WriteMachineString(c.subKey, "DisplayName", "Norvane")) << c.name;
    const StoredValue stored =
        ReadRaw(HKEY_LOCAL_MACHINE, c.probePath, "DisplayName", KEY_READ | KEY_WOW64_32KEY);
    if (c.written) {
      EXPECT_EQ(ERROR_SUCCESS, stored.status) << c.name;
      EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type) << c.name;
      EXPECT_EQ(std::string("Norvane", 8), stored.bytes) << c.name;
    } else {
      EXPECT_EQ(ERROR_FILE_NOT_FOUND, stored.status) << c.name;
    }
  }
}

// A value as the wide registry functions hold it: no code-page conversion on the way.
StoredValue ReadWide(HKEY hive, const std::string& path, const wchar_t* name) {
  StoredValue stored;
  HKEY key = nullptr;
  stored.status = RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key);
  if (stored.status != ERROR_SUCCESS) return stored;
  std::vector<char> buffer(256 * 1024);
  DWORD size = static_cast<DWORD>(buffer.size());
  stored.status = RegQueryValueExW(key, name, nullptr, &stored.type,
                                   reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (stored.status == ERROR_SUCCESS) stored.bytes.assign(buffer.data(), size);
  RegCloseKey(key);
  return stored;
}

TEST_F(RegisterKeyTest, OpenExistingCreatesNothing) {
  const std::string path = kTestKey + "\\Missing";
  CRegisterKey key;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.OpenExisting(HKEY_CURRENT_USER, path, KEY_READ));
  EXPECT_EQ(nullptr, key.GetHandle());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ProbeKey(HKEY_CURRENT_USER, path));

  WriteRaw(HKEY_CURRENT_USER, path, "Value", REG_SZ, std::string("v", 2));
  EXPECT_EQ(ERROR_SUCCESS, key.OpenExisting(HKEY_CURRENT_USER, path, KEY_READ));
  std::string text;
  EXPECT_EQ(ERROR_SUCCESS, key.ReadString("Value", text));
  EXPECT_EQ("v", text);
}

// What ReadRaw reads, WriteRaw puts back exactly, whatever the type, size and bytes, including
// texts with characters the ANSI code page does not have.
// A text stored without its NUL character comes back without one: the system adds a NUL to a
// string value when the data seems to have forgotten it, as the bytes behind it in memory are.
TEST_F(RegisterKeyTest, ATextStoredWithoutItsNulComesBackWithoutOne) {
  for (const std::size_t length : {std::size_t{8}, std::size_t{6}}) {
    std::string bytes("Norvane\0\0\0\0", 11);
    bytes.resize(length);  // the bytes behind the data stay NUL
    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, key.WriteRaw("Value", REG_SZ, bytes)) << length;
    const StoredValue stored = ReadWide(HKEY_CURRENT_USER, kTestKey, L"Value");
    EXPECT_EQ(bytes, stored.bytes) << length;
  }
}

TEST_F(RegisterKeyTest, RawValuesComeBackByteForByte) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const std::wstring wideText = L"\u4e2d QVX \u00e9\u20ac";  // stored as UTF-16 with its NUL
  const std::string storedText(reinterpret_cast<const char*>(wideText.c_str()),
                               (wideText.size() + 1) * sizeof(wchar_t));
  std::string large(100 * 1024, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
  const Case cases[] = {
      {"a text with characters outside the code page", REG_SZ, storedText},
      {"an expandable text", REG_EXPAND_SZ, storedText},
      {"a list of texts", REG_MULTI_SZ, std::string("a\0b\0\0\0", 6)},
      {"a number", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {"bytes with NUL and 0xFF", REG_BINARY, std::string("\x00\xff\r\n\\\x00", 6)},
      {"no bytes", REG_BINARY, ""},
      {"100 KiB", REG_BINARY, large},
  };
  for (const Case& c : cases) {
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &raw, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(raw, L"Value", 0, c.type,
                                            reinterpret_cast<const BYTE*>(c.bytes.data()),
                                            static_cast<DWORD>(c.bytes.size())))
        << c.name;
    RegCloseKey(raw);

    CRegisterKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.OpenExisting(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS));
    DWORD type = REG_NONE;
    std::string bytes;
    ASSERT_EQ(ERROR_SUCCESS, key.ReadRaw("Value", type, bytes)) << c.name;
    EXPECT_EQ(c.type, type) << c.name;
    EXPECT_EQ(c.bytes, bytes) << c.name;

    ASSERT_EQ(ERROR_SUCCESS, key.DeleteValue("Value")) << c.name;
    ASSERT_EQ(ERROR_SUCCESS, key.WriteRaw("Value", type, bytes)) << c.name;
    const StoredValue stored = ReadWide(HKEY_CURRENT_USER, kTestKey, L"Value");
    EXPECT_EQ(c.type, stored.type) << c.name;
    EXPECT_EQ(c.bytes, stored.bytes) << c.name;
  }
}

TEST_F(RegisterKeyTest, MissingValuesLeaveTheOutputsAlone) {
  WriteRaw(HKEY_CURRENT_USER, kTestKey, "Other", REG_SZ, std::string("v", 2));
  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.OpenExisting(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS));
  DWORD type = 77;
  std::string bytes = "unchanged";
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.ReadRaw("Value", type, bytes));
  EXPECT_EQ(77u, type);
  EXPECT_EQ("unchanged", bytes);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.DeleteValue("Value"));
  EXPECT_EQ(ERROR_SUCCESS, key.DeleteValue("Other"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw(HKEY_CURRENT_USER, kTestKey, "Other").status);
}

TEST_F(RegisterKeyTest, CountSubKeysCountsOnlyTheDirectOnes) {
  WriteRaw(HKEY_CURRENT_USER, kTestKey + "\\A\\Deeper", "Value", REG_SZ, std::string("v", 2));
  WriteRaw(HKEY_CURRENT_USER, kTestKey + "\\B", "Value", REG_SZ, std::string("v", 2));
  CRegisterKey key;
  ASSERT_EQ(ERROR_SUCCESS, key.OpenExisting(HKEY_CURRENT_USER, kTestKey, KEY_READ));
  DWORD count = 0;
  EXPECT_EQ(ERROR_SUCCESS, key.CountSubKeys(count));
  EXPECT_EQ(2u, count);
  ASSERT_EQ(ERROR_SUCCESS, key.OpenExisting(HKEY_CURRENT_USER, kTestKey + "\\B", KEY_READ));
  EXPECT_EQ(ERROR_SUCCESS, key.CountSubKeys(count));
  EXPECT_EQ(0u, count);
}

}  // namespace
