#include "engine/HiddenProcess.h"

#include <vector>

#include "security/SecurityOwners.h"
#include "support/Log.h"
#include "support/UniqueHandle.h"

bool RunHiddenAndWait(const std::string& applicationPath, const std::string& commandLine,
                      DWORD* error) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);  // 68 bytes; everything else stays zero
  PROCESS_INFORMATION process = {};
  theLog.WaitUntilAllFlushed();
  if (!CreateProcessA(applicationPath.empty() ? nullptr : applicationPath.c_str(),
                      writable.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    if (error) *error = GetLastError();
    return false;
  }
  const UniqueHandle thread(process.hThread);
  const UniqueHandle child(process.hProcess);
  WaitForSingleObject(child.get(), INFINITE);
  return true;
}

std::string SystemMessageText(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
      nullptr);
  const LocalBlock<char> owner(text);
  return length ? std::string(text, length) : std::string();
}
