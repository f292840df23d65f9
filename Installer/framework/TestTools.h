// Helpers of the Win32 unit tests (linked into installer_tests only).
#pragma once

#include <string>
#include <vector>

// The full path of a test tool built by tests/CMakeLists.txt (for example "argv_echo.exe"). The
// unit tests run from <build>\Installer\installer_tests.exe and the tools are built into
// <build>\tests\, so the path is found from the test program's own location; nothing in the test
// environment has to name it.
std::string TestToolPath(const char* exeName);

bool FileExists(const std::string& path);

// True when anything, a file or a folder, is at |path|.
bool FileOrFolderExists(const std::string& path);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The arguments the system's own splitter, CommandLineToArgvW, makes of |commandLine| (ANSI),
// argv[0] included; empty when it cannot split it.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Sets an environment variable of this process (and so of the programs it starts) for the owner's
// lifetime; the variable is removed afterwards.
// Makes |folder| the current folder of the process for the owner's lifetime; the folder that was
// current before comes back afterwards. entered() tells whether the change worked.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::string& folder);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  bool entered() const { return entered_; }

 private:
  std::string previous_;
  bool entered_ = false;
};

class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const char* name, const std::string& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
};
