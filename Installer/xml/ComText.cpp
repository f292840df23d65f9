#include "xml/ComText.h"

#include <comdef.h>

#include <climits>
#include <utility>

UniqueBstr::UniqueBstr(UniqueBstr&& other) noexcept : text_(other.release()) {}

UniqueBstr& UniqueBstr::operator=(UniqueBstr&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

BSTR* UniqueBstr::put() noexcept {
  reset();
  return &text_;
}

void UniqueBstr::reset(BSTR text) noexcept {
  BSTR old = std::exchange(text_, text);
  if (old && old != text) SysFreeString(old);
}

BSTR UniqueBstr::release() noexcept { return std::exchange(text_, nullptr); }

UniqueVariant::UniqueVariant() noexcept { VariantInit(&value_); }

UniqueVariant UniqueVariant::FromAnsi(const std::string& text) {
  UniqueVariant variant;
  // The BSTR is converted before the type is set, so a failed conversion leaves an empty variant.
  BSTR converted = AnsiToBstr(text).release();
  variant.value_.vt = VT_BSTR;
  variant.value_.bstrVal = converted;
  return variant;
}

UniqueVariant::~UniqueVariant() { VariantClear(&value_); }

UniqueVariant::UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) {
  VariantInit(&other.value_);
}

UniqueVariant& UniqueVariant::operator=(UniqueVariant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

VARIANT* UniqueVariant::put() noexcept {
  VariantClear(&value_);
  return &value_;
}

UniqueBstr AnsiToBstr(const std::string& text) {
  if (text.size() > INT_MAX) _com_issue_error(E_OUTOFMEMORY);
  const int length = static_cast<int>(text.size());
  // The first pass measures; the second writes straight into the BSTR, so no copy is made.
  const int wideLength =
      length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)));
  if (!result.get()) _com_issue_error(E_OUTOFMEMORY);
  if (wideLength > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.get(), wideLength);
  }
  return result;
}

std::string WideToAnsi(const wchar_t* text, size_t length) {
  if (!text || length == 0) return std::string();
  if (length > INT_MAX) _com_issue_error(E_OUTOFMEMORY);
  const int wideLength = static_cast<int>(length);
  const int ansiLength =
      WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(ansiLength), '\0');
  if (ansiLength > 0) {
    WideCharToMultiByte(CP_ACP, 0, text, wideLength, &result[0], ansiLength, nullptr, nullptr);
  }
  return result;
}

std::string BstrToAnsi(BSTR text) { return WideToAnsi(text, SysStringLen(text)); }
