#include "support/RegisterKey.h"

#include <cstring>
#include <utility>

namespace {

// A value name for the wide registry functions. The raw operations use those because they
// pass the data through unchanged, where the ANSI ones convert texts to and from the code page
// (losing every character the code page lacks). The name itself comes in the ANSI code page.
std::wstring WideName(const std::string& name) {
  if (name.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], length);
  return wide;
}

}  // namespace

CRegisterKey::CRegisterKey() = default;

CRegisterKey::~CRegisterKey() { Close(); }

LONG CRegisterKey::Open(HKEY parent, const std::string& subKey, REGSAM access) {
  // A second Open must not leak the handle of the first.
  Close();
  subKeyName = subKey;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      access, nullptr, &opened, &disposition);
  if (status == ERROR_SUCCESS) key = opened;
  return status;
}

LONG CRegisterKey::OpenExisting(HKEY parent, const std::string& subKey, REGSAM access) {
  Close();
  subKeyName = subKey;
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(parent, subKey.c_str(), 0, access, &opened);
  if (status == ERROR_SUCCESS) key = opened;
  return status;
}

void CRegisterKey::Close() {
  if (!key) return;
  RegCloseKey(key);
  key = nullptr;
}

LONG CRegisterKey::ReadString(const std::string& valueName, std::string& value) const {
  if (!key) return ERROR_INVALID_HANDLE;
  BYTE buffer[kStringBufferSize];
  DWORD size = sizeof(buffer);
  const LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, buffer, &size);
  if (status != ERROR_SUCCESS) return status;
  // The text ends at the first NUL inside the bytes that were read; a value without one (raw
  // bytes, a text stored without its terminator) has no text, and reading on to find one would
  // run past the buffer.
  const DWORD length = size < sizeof(buffer) ? size : sizeof(buffer);
  const void* end = std::memchr(buffer, 0, length);
  if (!end) return ERROR_INVALID_DATA;
  value.assign(reinterpret_cast<const char*>(buffer), static_cast<const BYTE*>(end) - buffer);
  return ERROR_SUCCESS;
}

LONG CRegisterKey::ReadDword(const std::string& valueName, DWORD& value) const {
  if (!key) return ERROR_INVALID_HANDLE;
  DWORD data = 0;
  DWORD size = sizeof(data);
  const LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&data), &size);
  if (status == ERROR_SUCCESS) value = data;
  return status;
}

LONG CRegisterKey::ReadBinary(const std::string& valueName, void* data, DWORD& size) const {
  if (!key) return ERROR_INVALID_HANDLE;
  return RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, static_cast<BYTE*>(data),
                          &size);
}

LONG CRegisterKey::WriteString(const std::string& valueName, const char* text) const {
  if (!key) return ERROR_INVALID_HANDLE;
  const DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  return RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        size);
}

LONG CRegisterKey::WriteDword(const std::string& valueName, DWORD value) const {
  if (!key) return ERROR_INVALID_HANDLE;
  return RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value));
}

LONG CRegisterKey::WriteBinary(const std::string& valueName, const void* data, DWORD size) const {
  if (!key) return ERROR_INVALID_HANDLE;
  return RegSetValueExA(key, valueName.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(data),
                        size);
}

LONG CRegisterKey::ReadRaw(const std::string& valueName, DWORD& type, std::string& bytes) const {
  if (!key) return ERROR_INVALID_HANDLE;
  const std::wstring name = WideName(valueName);
  // The size is asked first; a value that grows between the two calls is asked for again.
  LONG status = ERROR_MORE_DATA;
  std::string data;
  DWORD storedType = REG_NONE;
  while (status == ERROR_MORE_DATA) {
    DWORD size = 0;
    status = RegQueryValueExW(key, name.c_str(), nullptr, &storedType, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    data.assign(size, '\0');
    status = RegQueryValueExW(key, name.c_str(), nullptr, &storedType,
                              reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_SUCCESS) data.resize(size);
  }
  if (status != ERROR_SUCCESS) return status;
  type = storedType;
  bytes = std::move(data);
  return ERROR_SUCCESS;
}

LONG CRegisterKey::WriteRaw(const std::string& valueName, DWORD type,
                            const std::string& bytes) const {
  if (!key) return ERROR_INVALID_HANDLE;
  // For a string value whose data does not end in a NUL character but is followed by one in
  // memory, the system takes the NUL to be forgotten and stores it too (Windows NT does, and
  // Wine with it). Bytes that are not NUL behind the data keep the value exactly as read.
  const std::string padded = bytes + std::string(sizeof(wchar_t), '\xFF');
  return RegSetValueExW(key, WideName(valueName).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(padded.data()),
                        static_cast<DWORD>(bytes.size()));
}

LONG CRegisterKey::DeleteValue(const std::string& valueName) const {
  if (!key) return ERROR_INVALID_HANDLE;
  return RegDeleteValueA(key, valueName.c_str());
}

LONG CRegisterKey::CountSubKeys(DWORD& count) const {
  if (!key) return ERROR_INVALID_HANDLE;
  DWORD subKeys = 0;
  const LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) count = subKeys;
  return status;
}

bool WriteMachineString(const std::string& subKey, const std::string& valueName,
                        const std::string& text) {
  // Callers write entries that help but are not needed for the product to run; a failure here
  // must not stop the installation, so the statuses are deliberately not looked at.
  CRegisterKey key;
  key.Open(HKEY_LOCAL_MACHINE, subKey, KEY_WRITE);
  key.WriteString(valueName, text.c_str());
  key.Close();
  return true;
}
