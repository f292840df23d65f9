#pragma once

#include <windows.h>

#include <string>

// One open registry key, owned: Close and the destructor release it, so no early return can leak
// it. The installer keeps one as a short-lived local object around one or two value operations.
//
// Every operation answers the Win32 status of the registry call it makes (ERROR_SUCCESS on
// success) and logs nothing; a failed read leaves its output untouched. While no key is open
// (before Open, after a failed Open, after Close) the value operations answer
// ERROR_INVALID_HANDLE and touch nothing.
//
// Access masks: KEY_READ for reads and KEY_WRITE for writes, never a registry-view flag. The
// installer is a 32-bit program, so below HKEY_LOCAL_MACHINE\SOFTWARE it works in the 32-bit
// view (WOW6432Node on 64-bit Windows), which is the view the product's other programs read.
class CRegisterKey {
 public:
  // Size of the buffer ReadString reads into, the terminating NUL included.
  static constexpr DWORD kStringBufferSize = 512;

  // No key open, empty name.
  CRegisterKey();
  // Closes the key, if one is open.
  virtual ~CRegisterKey();

  CRegisterKey(const CRegisterKey&) = delete;
  CRegisterKey& operator=(const CRegisterKey&) = delete;

  // Opens |subKey| below |parent| (usually a predefined root) with |access|, creating the key
  // when it is missing (RegCreateKeyExA, non-volatile): opening a key only to read it therefore
  // leaves it behind, empty, when the caller may create it. A key still open from an earlier
  // Open is closed first. Answers the status of RegCreateKeyExA; on failure no key is open.
  LONG Open(HKEY parent, const std::string& subKey, REGSAM access);

  // Opens |subKey| below |parent| with |access| only when the key exists (RegOpenKeyExA):
  // nothing is ever created, so a reader leaves no empty key behind. A key still open from an
  // earlier Open is closed first. Answers the status of RegOpenKeyExA (ERROR_FILE_NOT_FOUND for a
  // missing key); on failure no key is open.
  LONG OpenExisting(HKEY parent, const std::string& subKey, REGSAM access);

  // Closes the open key; does nothing when none is open, so calling it twice is harmless.
  void Close();

  // Reads the value |valueName| into a 512-byte buffer and, on success, sets |value| to its text
  // up to the first NUL. The stored type is not examined. A value longer than 512 bytes answers
  // ERROR_MORE_DATA. A value whose bytes hold no NUL (raw bytes, or text of 512 characters stored
  // without its terminator) has no text: it answers ERROR_INVALID_DATA and counts as absent.
  // |value| is changed only when ERROR_SUCCESS is answered.
  LONG ReadString(const std::string& valueName, std::string& value) const;

  // Reads up to 4 bytes of |valueName| (a shorter value fills the low bytes, the rest are zero)
  // and stores them in |value| on success. The stored type is not examined; a value longer than
  // 4 bytes answers ERROR_MORE_DATA.
  LONG ReadDword(const std::string& valueName, DWORD& value) const;

  // Reads |valueName| straight into |data|, which holds |size| bytes; |size| becomes the number
  // of bytes stored (also with ERROR_MORE_DATA, when |data| is too small). The type is not
  // returned.
  LONG ReadBinary(const std::string& valueName, void* data, DWORD& size) const;

  // Stores |text| as REG_SZ with its terminating NUL counted (an empty text stores one byte).
  LONG WriteString(const std::string& valueName, const char* text) const;
  // Stores |value| as REG_DWORD (4 bytes).
  LONG WriteDword(const std::string& valueName, DWORD value) const;
  // Stores |size| bytes of |data| as REG_BINARY.
  LONG WriteBinary(const std::string& valueName, const void* data, DWORD size) const;

  // Reads |valueName| whole, whatever its size: |type| receives the stored type and |bytes| the
  // stored data exactly, as the registry holds them (texts in their stored form, with no
  // conversion to the ANSI code page). Both are changed only when ERROR_SUCCESS is answered;
  // ERROR_FILE_NOT_FOUND means there is no such value.
  LONG ReadRaw(const std::string& valueName, DWORD& type, std::string& bytes) const;
  // Stores |bytes| under |valueName| with |type| exactly as they are: what ReadRaw read comes
  // back byte for byte.
  LONG WriteRaw(const std::string& valueName, DWORD type, const std::string& bytes) const;
  // Deletes the value |valueName|; ERROR_FILE_NOT_FOUND when there is none.
  LONG DeleteValue(const std::string& valueName) const;
  // |count| receives the number of subkeys of the open key; unchanged on failure.
  LONG CountSubKeys(DWORD& count) const;

  // The open key, still owned by this object; null when none is open.
  HKEY GetHandle() const { return key; }
  // The sub-key path last passed to Open.
  const std::string& GetSubKeyName() const { return subKeyName; }

 private:
  std::string subKeyName;
  HKEY key = nullptr;
};

// Sets the REG_SZ value |valueName| of HKEY_LOCAL_MACHINE\|subKey| (created when missing, opened
// with KEY_WRITE) to |text|. Always answers true: the statuses are not examined, so the answer
// says nothing about whether the value was written.
bool WriteMachineString(const std::string& subKey, const std::string& valueName,
                        const std::string& text);
