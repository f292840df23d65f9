#include "rollback/RollbackTestTools.h"

#include <cstdio>
#include <vector>

#include "support/RegisterKey.h"
#include "support/UniqueHandle.h"

namespace rollback {
namespace {

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%lx", value);
  return text;
}

void ListFolder(const std::string& root, const std::string& relative, Listing* listing) {
  const std::string folder = relative.empty() ? root : root + "\\" + relative;
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &entry));
  if (!search) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative.empty() ? name : relative + "\\" + name;
    const std::string attributes = "attributes " + Hex(entry.dwFileAttributes);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*listing)[path] = "folder, " + attributes;
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ListFolder(root, path, listing);
      }
    } else {
      (*listing)[path] = "file, " + attributes + ", written " +
                         Hex(entry.ftLastWriteTime.dwHighDateTime) + ":" +
                         Hex(entry.ftLastWriteTime.dwLowDateTime) + ", contents " +
                         ReadWholeFile(root + "\\" + path);
    }
  } while (FindNextFileA(search.get(), &entry));
}

void ListKey(HKEY root, const std::string& key, const std::string& relative, Listing* listing) {
  CRegisterKey opened;
  if (opened.OpenExisting(root, key, KEY_READ) != ERROR_SUCCESS) return;
  (*listing)[relative] = "key";
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegEnumValueW(opened.GetHandle(), index, name, &nameLength, nullptr, &type, nullptr,
                      &size) != ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size + 1);
    nameLength = 16384;
    RegEnumValueW(opened.GetHandle(), index, name, &nameLength, nullptr, &type, data.data(), &size);
    char utf8Name[65536];
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(nameLength),
                                               utf8Name, sizeof(utf8Name), nullptr, nullptr);
    const std::string valueName(utf8Name,
                                static_cast<std::size_t>(utf8Length > 0 ? utf8Length : 0));
    (*listing)[relative + "|" + valueName] =
        "type " + std::to_string(type) + ", bytes " +
        std::string(reinterpret_cast<const char*>(data.data()), size);
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof(name);
    if (RegEnumKeyExA(opened.GetHandle(), index, name, &nameLength, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      break;
    }
    ListKey(root, key + "\\" + name, relative + "\\" + name, listing);
  }
}

std::string Shown(const std::string& text) {
  return text.size() > 120
             ? text.substr(0, 120) + "... (" + std::to_string(text.size()) + " characters)"
             : text;
}

}  // namespace

RunScope TestScope(const std::vector<std::string>& folders) {
  RunScope scope;
  scope.companyName = "QVX";
  scope.appName = "Norvane";
  scope.folders = folders;
  scope.keys = {{HKEY_CURRENT_USER, "Software"},
                {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}};
  return scope;
}

std::string RecordFileBytes(const RunScope& scope, const std::vector<ChangeRecord>& records) {
  std::string bytes = JournalHeader();
  for (const ChangeRecord& record : ScopeRecords(scope)) bytes += EncodeRecord(record);
  for (const ChangeRecord& record : records) bytes += EncodeRecord(record);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, DWORD attributes) {
  {
    const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return false;
    }
  }
  return attributes == FILE_ATTRIBUTE_NORMAL || SetFileAttributesA(path.c_str(), attributes);
}

bool AppendFileBytes(const std::string& path, const std::string& bytes) {
  const UniqueHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadWholeFile(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

bool SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::string& bytes) {
  CRegisterKey opened;
  return opened.Open(root, key, KEY_SET_VALUE) == ERROR_SUCCESS &&
         opened.WriteRaw(name, type, bytes) == ERROR_SUCCESS;
}

void DeleteRegistryTree(HKEY root, const std::string& key) {
  RegDeleteTreeA(root, key.c_str());
  RegDeleteKeyA(root, key.c_str());
}

Listing ListFiles(const std::string& root) {
  Listing listing;
  ListFolder(root, "", &listing);
  return listing;
}

Listing ListRegistry(HKEY root, const std::string& key) {
  Listing listing;
  ListKey(root, key, "", &listing);
  return listing;
}

Listing ListMachine(const std::string& folder, HKEY root, const std::string& key) {
  Listing machine = ListFiles(folder);
  for (const auto& entry : ListRegistry(root, key))
    machine["registry " + entry.first] = entry.second;
  return machine;
}

std::string Differences(const Listing& want, const Listing& got) {
  std::string text;
  for (const auto& entry : want) {
    const auto found = got.find(entry.first);
    if (found == got.end()) {
      text += "missing: " + entry.first + "\n";
    } else if (found->second != entry.second) {
      text += "changed: " + entry.first + ": " + Shown(entry.second) + " -> " +
              Shown(found->second) + "\n";
    }
  }
  for (const auto& entry : got) {
    if (!want.count(entry.first)) text += "added: " + entry.first + "\n";
  }
  return text;
}

}  // namespace rollback
