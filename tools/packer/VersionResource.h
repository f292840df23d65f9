// The version resource of a finished installer (RT_VERSION, name 1, US English, strings in
// UTF-16), so that Explorer's properties, SmartScreen and inventory tools show what the
// installer installs and who makes it. Built byte for byte here (the VS_VERSIONINFO layout), so
// the Linux build and its tests make the same bytes the Windows build writes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace packer {

// The language of the resource and of its one string table: US English, Unicode strings.
constexpr uint16_t kVersionLanguage = 0x0409;
constexpr uint16_t kVersionCodePage = 1200;

using VersionNumbers = std::array<uint16_t, 4>;

// The leading numbers of |version|, as far as they fit the four 16-bit numbers of a version
// resource: decimal numbers separated by single dots, read from the start; reading stops at the
// fifth number, at anything that is not a digit or a dot before a digit, and at a number past
// 65535, which is left out with everything after it. Missing numbers are 0.
// "1.6.0003.0000.0035" gives 1.6.3.0, "2.1-beta.3" gives 2.1.0.0, "1.70000.2" gives 1.0.0.0,
// "v2" gives 0.0.0.0.
VersionNumbers ReadVersionNumbers(const std::string& version);

struct InstallerLabel {
  std::u16string companyName;      // CompanyName
  std::u16string productName;      // ProductName (the configuration's projectName)
  std::u16string fileDescription;  // FileDescription ("<projectName> Setup")
  std::u16string versionText;      // FileVersion and ProductVersion strings: the payload's version
  VersionNumbers numbers = {};     // FileVersion and ProductVersion numbers
  std::u16string originalFilename;  // OriginalFilename: the installer's file name
  std::u16string internalName;      // InternalName: that name without its extension
  std::u16string legalCopyright;    // LegalCopyright
  std::u16string comments;          // Comments (empty)
};

// The VS_VERSIONINFO resource of |label|: the fixed part (both versions from |numbers|, a 32-bit
// Windows application), a StringFileInfo with one table 040904B0 holding Comments, CompanyName,
// FileDescription, FileVersion, InternalName, LegalCopyright, OriginalFilename, ProductName and
// ProductVersion (in this order, every one also when empty), and a VarFileInfo whose
// Translation names that table's language and code page. Empty when the strings are too long for
// the resource's 16-bit lengths (about 32,000 characters together).
std::vector<uint8_t> BuildVersionResource(const InstallerLabel& label);

}  // namespace packer
