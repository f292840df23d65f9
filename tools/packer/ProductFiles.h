// Which files of the product folder go into the archive, in which order, under which names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace packer {

struct ProductFile {
  std::string entryPath;  // relative, backslash separators, as stored in the archive
  std::string diskPath;   // where the packing tool reads it
};

// Every regular file below |dir| with its relative path, sorted by the bytes of the entry paths so
// that the same folder always gives the same archive. Empty folders add nothing (the archive holds
// no folders). Answers "" or the reason: an unreadable folder, a link or other non-regular file, a
// name the installer would refuse (CheckEntryPath), or two names that differ only in case (they
// would land on the same file on Windows).
std::string ScanProductFolder(const std::string& dir, std::vector<ProductFile>* files);

// Parses a list file: one relative path per line, '/' or '\' as separator, a CR before the line
// feed dropped; blank lines and lines starting with '#' skipped. The entry paths come back in the
// file's order with backslash separators. Answers "" or "line N: reason" for a path the installer
// would refuse or a path listed twice (without regard to case, payload::FoldNameCase).
std::string ParseListFile(std::string_view text, std::vector<std::string>* entryPaths);

// Pairs every listed entry path with its file below |dir| and checks that the file exists and is
// a regular file. Answers "" or the reason.
std::string ListedProductFiles(const std::string& dir, const std::vector<std::string>& entryPaths,
                               std::vector<ProductFile>* files);

// Answers the reason when two of |entryPaths| differ only in case (payload::FoldNameCase), else "".
std::string FindCaseCollision(const std::vector<std::string>& entryPaths);

}  // namespace packer
