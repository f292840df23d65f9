#include "ProductFiles.h"

#include <algorithm>
#include <map>

#include "FileSystem.h"
#include "package/codec/EntryPath.h"
#include "package/codec/NameCase.h"

namespace packer {
namespace {

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string ScanFolder(const std::string& diskDir, const std::string& entryPrefix,
                       std::vector<ProductFile>* files) {
  std::vector<FolderEntry> entries;
  std::string reason = ListFolder(diskDir, &entries);
  if (!reason.empty()) return reason;
  for (const FolderEntry& entry : entries) {
    const std::string diskPath = ChildPath(diskDir, entry.name);
    // On Linux a backslash is an ordinary name character; in the archive it would split the name.
    if (entry.name.find('\\') != std::string::npos) {
      return Quote(diskPath) + " has a backslash in its name";
    }
    const std::string entryPath = entryPrefix + entry.name;
    switch (entry.kind) {
      case FileKind::kFolder:
        reason = ScanFolder(diskPath, entryPath + "\\", files);
        if (!reason.empty()) return reason;
        break;
      case FileKind::kRegular:
        reason = payload::CheckEntryPath(entryPath);
        if (!reason.empty()) return Quote(diskPath) + " cannot be installed: " + reason;
        files->push_back({entryPath, diskPath});
        break;
      case FileKind::kOther:
        return Quote(diskPath) + " is not a regular file or folder (a link, device or pipe)";
    }
  }
  return "";
}

}  // namespace

std::string FindCaseCollision(const std::vector<std::string>& entryPaths) {
  std::map<std::string, const std::string*> seen;
  for (const std::string& path : entryPaths) {
    const auto [it, inserted] = seen.emplace(payload::FoldNameCase(path), &path);
    if (!inserted) {
      return Quote(*it->second) + " and " + Quote(path) +
             " differ only in case and would be the same file on Windows";
    }
  }
  return "";
}

std::string ScanProductFolder(const std::string& dir, std::vector<ProductFile>* files) {
  std::vector<ProductFile> found;
  std::string reason = ScanFolder(dir, "", &found);
  if (!reason.empty()) return reason;
  std::sort(found.begin(), found.end(), [](const ProductFile& a, const ProductFile& b) {
    return a.entryPath < b.entryPath;  // char_traits<char> compares as unsigned bytes
  });
  std::vector<std::string> paths;
  for (const ProductFile& file : found) paths.push_back(file.entryPath);
  reason = FindCaseCollision(paths);
  if (!reason.empty()) return reason;
  *files = std::move(found);
  return "";
}

std::string ParseListFile(std::string_view text, std::vector<std::string>* entryPaths) {
  std::vector<std::string> paths;
  std::map<std::string, size_t> firstLine;  // folded path -> line it was first listed on
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    std::string path(line);
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    const std::string reason = payload::CheckEntryPath(path);
    if (!reason.empty()) return where + Quote(line) + " cannot be installed: " + reason;
    const auto [it, inserted] = firstLine.emplace(payload::FoldNameCase(path), lineNumber);
    if (!inserted) {
      return where + Quote(line) + " is already listed on line " + std::to_string(it->second) +
             " (names are compared without regard to case)";
    }
    paths.push_back(path);
  }
  *entryPaths = std::move(paths);
  return "";
}

std::string ListedProductFiles(const std::string& dir, const std::vector<std::string>& entryPaths,
                               std::vector<ProductFile>* files) {
  std::vector<ProductFile> listed;
  for (const std::string& entryPath : entryPaths) {
    const std::string diskPath = JoinDiskPath(dir, entryPath);
    FileInfo info;
    const std::string reason = StatFile(diskPath, &info);
    if (!reason.empty()) return "listed file " + Quote(entryPath) + ": " + reason;
    if (info.kind != FileKind::kRegular) {
      return "listed file " + Quote(entryPath) + ": " + Quote(diskPath) +
             " is not a regular file";
    }
    listed.push_back({entryPath, diskPath});
  }
  *files = std::move(listed);
  return "";
}

}  // namespace packer
