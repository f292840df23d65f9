// Which relative paths the installer will write below its target folders.
//
// An archive entry's path is joined to a target folder by plain concatenation, so a path that is
// rooted, climbs out with "..", names a device or relies on a name that Windows rewrites would put
// the file somewhere other than where the archive says. Those paths are refused before anything is
// written, and the packing tool refuses them before they reach an archive.
#pragma once

#include <string>
#include <string_view>

namespace payload {

// "" when |path| is a safe relative entry path, else the reason as a lower-case sentence fragment
// ("the path is empty"). Components are separated by single backslashes. Refused: an empty path; a
// rooted or absolute one (leading backslash, which covers UNC and "\\?\" forms; a drive letter such
// as "C:"); an empty component ("a\\b", a trailing backslash); a "." or ".." component; any ':' or
// '/'; a byte below 0x20 or one of < > " | ? *; a component that is a reserved device name (CON PRN
// AUX NUL CONIN$ CONOUT$ COM0-COM9 LPT0-LPT9, also with the superscript digits of the ANSI code
// page, without regard to case, with or without an extension: "nul.txt", "Com1.log"); a component
// ending in '.' or ' ', which Windows strips silently so the file would land under another name.
// Bytes from 0x80 up (ANSI letters such as 0xE9) are accepted.
std::string CheckEntryPath(std::string_view path);

// "" when |version| can be appended to the application name to form the version folder's name,
// else the reason. The empty version is accepted. Refused: any backslash, '/', ':', a byte below
// 0x20, one of < > " | ? *, and a trailing '.' or ' ' (the folder would get another name).
std::string CheckVersionText(std::string_view version);

// |name| as it may appear in a message: in double quotes, control bytes as \xNN, cut after 200
// bytes with "..." so that a hostile package cannot flood the log.
std::string QuoteName(std::string_view name);

}  // namespace payload
