#include "FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace packer {
namespace {

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

std::string ErrnoText(int error) { return std::strerror(error); }

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

#ifdef _WIN32
std::string WindowsErrorText(DWORD error) { return "Windows error " + std::to_string(error); }

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

FileKind KindFromAttributes(DWORD attributes) {
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return FileKind::kOther;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kFolder;
  return FileKind::kRegular;
}
#else
FileKind KindFromMode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kFolder;
  return FileKind::kOther;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;
#endif

bool IsDotOrDotDot(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

#ifdef _WIN32

std::string ListFolder(const std::string& dir, std::vector<FolderEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAA data;
  HANDLE first = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (first == INVALID_HANDLE_VALUE) {
    return "cannot list the folder " + Quote(dir) + ": " + WindowsErrorText(GetLastError());
  }
  UniqueFind find(first);
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    entries->push_back({data.cFileName, KindFromAttributes(data.dwFileAttributes)});
  } while (FindNextFileA(find.get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) {
    return "cannot list the folder " + Quote(dir) + ": " + WindowsErrorText(error);
  }
  return "";
}

std::string StatFile(const std::string& path, FileInfo* info) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return Quote(path) + " does not exist";
    }
    return "cannot examine " + Quote(path) + ": " + WindowsErrorText(error);
  }
  info->kind = KindFromAttributes(data.dwFileAttributes);
  info->size = uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  return "";
}

std::string JoinDiskPath(const std::string& dir, const std::string& entryPath) {
  return dir + "\\" + entryPath;
}

std::string ChildPath(const std::string& dir, const std::string& name) {
  return dir + "\\" + name;
}

#else

std::string ListFolder(const std::string& dir, std::vector<FolderEntry>* entries) {
  entries->clear();
  UniqueDir folder(opendir(dir.c_str()));
  if (!folder) return "cannot list the folder " + Quote(dir) + ": " + ErrnoText(errno);
  while (true) {
    errno = 0;
    const dirent* entry = readdir(folder.get());
    if (entry == nullptr) break;
    if (IsDotOrDotDot(entry->d_name)) continue;
    FileInfo info;
    const std::string reason = StatFile(ChildPath(dir, entry->d_name), &info);
    if (!reason.empty()) return reason;
    entries->push_back({entry->d_name, info.kind});
  }
  if (errno != 0) return "cannot list the folder " + Quote(dir) + ": " + ErrnoText(errno);
  return "";
}

std::string StatFile(const std::string& path, FileInfo* info) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Quote(path) + " does not exist";
    return "cannot examine " + Quote(path) + ": " + ErrnoText(error);
  }
  info->kind = KindFromMode(status.st_mode);
  info->size = static_cast<uint64_t>(status.st_size);
  return "";
}

std::string JoinDiskPath(const std::string& dir, const std::string& entryPath) {
  std::string path = dir + "/" + entryPath;
  for (size_t i = dir.size() + 1; i < path.size(); ++i) {
    if (path[i] == '\\') path[i] = '/';
  }
  return path;
}

std::string ChildPath(const std::string& dir, const std::string& name) {
  return dir + "/" + name;
}

#endif

std::string ReadWholeFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes) {
  FileInfo info;
  std::string reason = StatFile(path, &info);
  if (!reason.empty()) return reason;
  if (info.kind != FileKind::kRegular) return Quote(path) + " is not a regular file";
  if (info.size > maxSize) {
    return Quote(path) + " has " + std::to_string(info.size) + " bytes, more than the " +
           std::to_string(maxSize) + " an archive entry can hold";
  }
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot open " + Quote(path) + ": " + ErrnoText(errno);
  bytes->resize(static_cast<size_t>(info.size));
  const size_t got = std::fread(bytes->data(), 1, bytes->size(), file.get());
  if (std::ferror(file.get())) return "cannot read " + Quote(path) + ": " + ErrnoText(errno);
  // A file that changes while it is packed would give an archive of neither version.
  if (got != bytes->size() || std::fgetc(file.get()) != EOF) {
    return Quote(path) + " changed its size while it was read";
  }
  return "";
}

std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) return "cannot create " + Quote(path) + ": " + ErrnoText(errno);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    return "cannot write " + Quote(path) + ": " + ErrnoText(errno);
  }
  // fclose flushes; a full disk may only show here.
  if (std::fclose(file.release()) != 0) {
    return "cannot write " + Quote(path) + ": " + ErrnoText(errno);
  }
  return "";
}

std::string MakeFolder(const std::string& dir) {
  FileInfo info;
  if (StatFile(dir, &info).empty() && info.kind == FileKind::kFolder) return "";
#ifdef _WIN32
  if (!CreateDirectoryA(dir.c_str(), nullptr)) {
    return "cannot create the folder " + Quote(dir) + ": " + WindowsErrorText(GetLastError());
  }
#else
  if (mkdir(dir.c_str(), 0777) != 0) {
    return "cannot create the folder " + Quote(dir) + ": " + ErrnoText(errno);
  }
#endif
  return "";
}

}  // namespace packer
