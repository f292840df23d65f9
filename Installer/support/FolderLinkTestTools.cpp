#include "support/FolderLinkTestTools.h"

#include <windows.h>

#include "framework/TestTools.h"
#include "support/UniqueHandle.h"

namespace {

bool IsReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The host path of |path| under Wine; "" elsewhere.
std::string HostPath(const std::string& path) {
  using ToHost = char*(CDECL*)(const wchar_t*);
  const auto toHost = reinterpret_cast<ToHost>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toHost) return {};
  wchar_t wide[MAX_PATH] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return {};
  char* host = toHost(wide);
  if (!host) return {};
  std::string result(host);
  HeapFree(GetProcessHeap(), 0, host);
  return result;
}

// Runs a host program from Wine's Z: drive. The handle Wine gives back does not wait for the
// program, so the caller looks for the outcome until it shows.
bool StartHostProgram(const char* program, std::string command, bool (*done)(const std::string&),
                      const std::string& path) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  WaitForSingleObject(process.hProcess, 5000);
  for (int attempt = 0; attempt < 100 && !done(path); ++attempt) Sleep(50);
  return done(path);
}

bool MakeHostLink(const std::string& link, const std::string& target) {
  const std::string hostLink = HostPath(link);
  const std::string hostTarget = HostPath(target);
  if (hostLink.empty() || hostTarget.empty()) return false;
  return StartHostProgram("Z:\\bin\\ln", "ln -s \"" + hostTarget + "\" \"" + hostLink + "\"",
                          IsReparsePoint, link);
}

void RemoveHostLink(const std::string& link) {
  const std::string hostLink = HostPath(link);
  if (hostLink.empty()) return;
  StartHostProgram(
      "Z:\\bin\\rm", "rm -f \"" + hostLink + "\"",
      [](const std::string& path) { return !FileOrFolderExists(path); }, link);
}

}  // namespace

ScopedFolderLink::ScopedFolderLink(const std::string& link, const std::string& target)
    : link_(link), made_(false) {
  made_ = (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
           IsReparsePoint(link)) ||
          MakeHostLink(link, target);
}

ScopedFolderLink::~ScopedFolderLink() {
  if (!made_ || !FileOrFolderExists(link_)) return;
  if (!RemoveDirectoryA(link_.c_str())) RemoveHostLink(link_);
}
