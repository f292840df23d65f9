#include "framework/TestTools.h"

#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <iterator>

#include "support/SystemPaths.h"

std::string TestToolPath(const char* exeName) {
  std::string relative = ModuleFileName();
  if (relative.empty()) return {};
  relative.erase(relative.find_last_of('\\') + 1);
  relative += "..\\tests\\";
  relative += exeName;
  return FullPathName(relative);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileOrFolderExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(length, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(length - 1);
  return narrow;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(Widen(commandLine).c_str(), &count);
  std::vector<std::string> arguments;
  if (argv == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return arguments;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* name, const std::string& value)
    : name_(name) {
  SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetEnvironmentVariableA(name_.c_str(), nullptr);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& folder) {
  char previous[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
  if (length == 0 || length >= MAX_PATH) return;
  previous_.assign(previous, length);
  entered_ = SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  if (entered_) SetCurrentDirectoryA(previous_.c_str());
}
