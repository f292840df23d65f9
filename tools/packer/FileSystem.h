// The few file-system operations the packing tool needs, with 8-bit paths on both hosts: the
// Windows build uses the ANSI calls, so names reach the archive in the ANSI code page the installer
// writes them in; the Linux build passes bytes through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packer {

enum class FileKind { kRegular, kFolder, kOther };  // kOther: link, device, pipe, socket...

struct FolderEntry {
  std::string name;
  FileKind kind = FileKind::kOther;
};

struct FileInfo {
  FileKind kind = FileKind::kOther;
  uint64_t size = 0;
};

// The entries of folder |dir| without "." and "..", in no particular order. A link is reported as
// kOther, never followed. Answers "" or the reason.
std::string ListFolder(const std::string& dir, std::vector<FolderEntry>* entries);

// What |path| is, without following a link at its end. Answers "" or the reason (a missing file
// included).
std::string StatFile(const std::string& path, FileInfo* info);

// Reads the whole regular file |path|; refuses files over |maxSize| bytes before reading them.
// Answers "" or the reason; on failure |bytes| may hold anything.
std::string ReadWholeFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes);

// Creates or replaces |path| with |bytes|. Answers "" or the reason.
std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Creates the folder |dir| (its parent must exist); one that exists already is fine. Answers ""
// or the reason.
std::string MakeFolder(const std::string& dir);

// |dir| joined with an archive entry path (backslash separators), in this host's separators.
std::string JoinDiskPath(const std::string& dir, const std::string& entryPath);

// |dir| joined with the single name |name| of one of its entries, taken as it is.
std::string ChildPath(const std::string& dir, const std::string& name);

}  // namespace packer
