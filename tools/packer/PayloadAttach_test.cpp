#include "PayloadAttach.h"

#include <windows.h>
#include <imagehlp.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "VersionResource.h"
#include "package/codec/PayloadFormat.h"

namespace {

// A fresh folder below the temporary folder, removed with its files at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int made = 0;
    path_ = std::string(base) + "payload_attach_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++made);
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << GetLastError();
  }
  ~TempFolder() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((path_ + "\\" + data.cFileName).c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(path_.c_str());
  }
  std::string File(const char* name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// This test program stands in for Setup.exe: any PE image with or without a payload will do.
std::string CopyOfThisProgram(const TempFolder& folder) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string copy = folder.File("Setup.exe");
  EXPECT_TRUE(CopyFileA(self, copy.c_str(), FALSE)) << GetLastError();
  return copy;
}

struct LibraryFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree>;

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

// What a program that opens the file finds: the languages of a resource (by default the
// installer's payload, IDR_EXE 130) and the bytes of the first one.
struct AttachedPayload {
  std::vector<WORD> languages;
  std::vector<uint8_t> bytes;
};

AttachedPayload ReadAttached(const std::string& exePath, LPCSTR type = "IDR_EXE",
                             LPCSTR name = MAKEINTRESOURCEA(130)) {
  AttachedPayload attached;
  UniqueModule module(LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  EXPECT_TRUE(module) << "LoadLibraryExA " << GetLastError();
  if (!module) return attached;
  EnumResourceLanguagesA(module.get(), type, name, CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&attached.languages));
  HRSRC resource = FindResourceA(module.get(), name, type);
  if (resource == nullptr) return attached;
  const DWORD size = SizeofResource(module.get(), resource);
  HGLOBAL loaded = LoadResource(module.get(), resource);
  const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
  if (data != nullptr) attached.bytes.assign(data, data + size);
  return attached;
}

std::vector<uint8_t> MakePayload(const std::string& content) {
  payload::ArchiveWriter writer("Norvane", "1.6.0003.0000.0035", "<appConfig/>");
  EXPECT_EQ(writer.AddFile("BrenmoorEHR\\Webvane.exe",
                           reinterpret_cast<const uint8_t*>(content.data()), content.size()),
            "");
  std::vector<uint8_t> bytes;
  EXPECT_EQ(payload::CompressPayload(writer.Finish(), &bytes), "");
  return bytes;
}

TEST(PayloadAttachTest, ReplacesThePayloadInTheNeutralLanguage) {
  TempFolder folder;
  const std::string exe = CopyOfThisProgram(folder);
  std::string error;
  const std::vector<uint8_t> first = MakePayload("first");
  ASSERT_TRUE(ReplacePayloadResource(exe.c_str(), first, &error)) << error;
  AttachedPayload attached = ReadAttached(exe);
  EXPECT_EQ(attached.languages, std::vector<WORD>{0});
  EXPECT_EQ(attached.bytes, first);

  // A second, larger payload replaces the first instead of sitting beside it.
  const std::vector<uint8_t> second = MakePayload(std::string(70000, 's'));
  ASSERT_TRUE(ReplacePayloadResource(exe.c_str(), second, &error)) << error;
  attached = ReadAttached(exe);
  EXPECT_EQ(attached.languages, std::vector<WORD>{0});
  ASSERT_EQ(attached.bytes, second);

  payload::ArchiveBuffer archive;
  ASSERT_EQ(payload::DecompressPayload(attached.bytes.data(), attached.bytes.size(), &archive),
            payload::DecompressStatus::kOk);
  EXPECT_EQ(payload::ValidateArchive(archive.bytes.get(), archive.size, nullptr), "");
}

TEST(PayloadAttachTest, AttachesBrokenBytesAsTheyAre) {
  TempFolder folder;
  const std::string exe = CopyOfThisProgram(folder);
  std::string error;
  const std::vector<uint8_t> broken = {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 0x78};
  ASSERT_TRUE(ReplacePayloadResource(exe.c_str(), broken, &error)) << error;
  EXPECT_EQ(ReadAttached(exe).bytes, broken);

  // No data would delete the resource: refused, and the broken payload stays.
  EXPECT_FALSE(ReplacePayloadResource(exe.c_str(), {}, &error));
  EXPECT_EQ(error, "an empty payload cannot be attached to \"" + exe +
                       "\" (a resource update without data deletes the resource)");
  EXPECT_EQ(ReadAttached(exe).bytes, broken);
}

TEST(PayloadAttachTest, MissingExecutableIsNamedWithTheError) {
  TempFolder folder;
  const std::string missing = folder.File("missing.exe");
  std::string error;
  EXPECT_FALSE(ReplacePayloadResource(missing.c_str(), MakePayload("x"), &error));
  EXPECT_EQ(error.rfind("BeginUpdateResourceA failed for \"" + missing + "\" (Windows error ", 0),
            0u)
      << error;
  EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

// This test program carries a COFF symbol table, which the resource update moves: the finished
// file must not point at it any more, and its checksum must be that of the final bytes.
void ExpectHeadersOfTheFinalFile(const std::string& exePath) {
  DWORD stored = 0;
  DWORD computed = 0;
  ASSERT_EQ(MapFileAndCheckSumA(exePath.c_str(), &stored, &computed), DWORD{CHECKSUM_SUCCESS});
  EXPECT_EQ(stored, computed) << "the image checksum";
  std::ifstream file(exePath, std::ios::binary);
  IMAGE_DOS_HEADER dos = {};
  IMAGE_FILE_HEADER header = {};
  file.read(reinterpret_cast<char*>(&dos), sizeof(dos));
  file.seekg(dos.e_lfanew + 4);
  file.read(reinterpret_cast<char*>(&header), sizeof(header));
  ASSERT_TRUE(file.good());
  EXPECT_EQ(header.PointerToSymbolTable, 0u);
  EXPECT_EQ(header.NumberOfSymbols, 0u);
}

TEST(PayloadAttachTest, FinishedInstallerIsACopyWithThePayloadAndTheVersion) {
  TempFolder folder;
  const std::string installer = CopyOfThisProgram(folder);
  const std::string output = folder.File("NorvaneSetup.exe");
  const std::vector<uint8_t> bytes = MakePayload("finished");
  packer::InstallerLabel label;
  label.companyName = u"QVX";
  const std::vector<uint8_t> version = packer::BuildVersionResource(label);
  std::string error;
  ASSERT_TRUE(WriteFinishedInstaller(installer.c_str(), output.c_str(), bytes, version, &error))
      << error;
  EXPECT_EQ(ReadAttached(output).bytes, bytes);
  const AttachedPayload attachedVersion = ReadAttached(output, RT_VERSION, MAKEINTRESOURCEA(1));
  EXPECT_EQ(attachedVersion.languages, std::vector<WORD>{0x0409});
  EXPECT_EQ(attachedVersion.bytes, version);
  EXPECT_TRUE(ReadAttached(installer).bytes.empty());  // the original is left alone
  ExpectHeadersOfTheFinalFile(output);

  // Packing the finished installer again replaces its version resource instead of adding one.
  label.companyName = u"Brenmoor";
  const std::vector<uint8_t> second = packer::BuildVersionResource(label);
  const std::string again = folder.File("Again.exe");
  ASSERT_TRUE(WriteFinishedInstaller(output.c_str(), again.c_str(), bytes, second, &error))
      << error;
  const AttachedPayload replaced = ReadAttached(again, RT_VERSION, MAKEINTRESOURCEA(1));
  EXPECT_EQ(replaced.languages, std::vector<WORD>{0x0409});
  EXPECT_EQ(replaced.bytes, second);
}

TEST(PayloadAttachTest, NoHalfFinishedInstallerIsLeftBehind) {
  TempFolder folder;
  std::string error;
  const std::string output = folder.File("NorvaneSetup.exe");

  EXPECT_FALSE(WriteFinishedInstaller(folder.File("none.exe").c_str(), output.c_str(),
                                      MakePayload("x"), {}, &error));
  EXPECT_EQ(error.rfind("CopyFileA failed from", 0), 0u) << error;
  EXPECT_EQ(GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES);

  // Not an executable: the copy succeeds, the resource update cannot, and the copy goes again.
  const std::string text = folder.File("notes.txt");
  std::ofstream(text, std::ios::binary) << "not a program";
  EXPECT_FALSE(
      WriteFinishedInstaller(text.c_str(), output.c_str(), MakePayload("x"), {}, &error));
  EXPECT_NE(error.find("ResourceA failed for \"" + output + "\""), std::string::npos) << error;
  EXPECT_EQ(GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
