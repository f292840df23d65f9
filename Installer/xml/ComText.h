// Text on its way between the program's narrow strings and COM: owners of a BSTR and a VARIANT,
// and the conversions between the process ANSI code page (CP_ACP) and UTF-16.
//
// The conversions raise _com_error(E_OUTOFMEMORY) when a string cannot be allocated, like every
// other failure of the XML layer, so a caller never sees a half-converted value.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// Owns one BSTR and frees it with SysFreeString. Move-only.
class UniqueBstr {
 public:
  // Takes over |text| (a BSTR the caller owns, for example one a COM call handed out).
  explicit UniqueBstr(BSTR text = nullptr) noexcept : text_(text) {}
  ~UniqueBstr() { reset(); }
  UniqueBstr(UniqueBstr&& other) noexcept;
  UniqueBstr& operator=(UniqueBstr&& other) noexcept;
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  // Still owned by this object; COM treats a null BSTR as the empty string.
  BSTR get() const noexcept { return text_; }
  // For a COM call's out parameter: frees the held string first.
  BSTR* put() noexcept;
  void reset(BSTR text = nullptr) noexcept;
  // Gives the string up; the caller frees it.
  BSTR release() noexcept;

 private:
  BSTR text_;
};

// Owns one VARIANT and clears it with VariantClear (which frees a held BSTR or releases a held
// interface). Move-only.
class UniqueVariant {
 public:
  UniqueVariant() noexcept;
  // A VT_BSTR variant that owns a copy of |text| converted from CP_ACP.
  static UniqueVariant FromAnsi(const std::string& text);
  ~UniqueVariant();
  UniqueVariant(UniqueVariant&& other) noexcept;
  UniqueVariant& operator=(UniqueVariant&& other) noexcept;
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;

  // By value, as the DOM's VARIANT parameters take it; the contents stay owned here.
  const VARIANT& get() const noexcept { return value_; }
  // For a COM call's out parameter: clears the held value first.
  VARIANT* put() noexcept;

 private:
  VARIANT value_;
};

// |text| (CP_ACP) as a new BSTR. The empty string gives an empty, non-null BSTR.
UniqueBstr AnsiToBstr(const std::string& text);

// The first |length| UTF-16 units at |text| in CP_ACP; characters the code page lacks become
// its default character. A null |text| is the empty string.
std::string WideToAnsi(const wchar_t* text, size_t length);

// The whole of |text| (its SysStringLen, so embedded NULs survive) in CP_ACP.
std::string BstrToAnsi(BSTR text);
