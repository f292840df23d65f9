#include "framework/TestTools.h"

#include <windows.h>

#include <fstream>
#include <iterator>

std::string TestToolPath(const char* exeName) {
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string relative(self);
  relative.erase(relative.find_last_of('\\') + 1);
  relative += "..\\tests\\";
  relative += exeName;
  char full[MAX_PATH] = {};
  const DWORD fullLength = GetFullPathNameA(relative.c_str(), MAX_PATH, full, nullptr);
  if (fullLength == 0 || fullLength >= MAX_PATH) return {};
  return full;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* name, const std::string& value)
    : name_(name) {
  SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetEnvironmentVariableA(name_.c_str(), nullptr);
}
