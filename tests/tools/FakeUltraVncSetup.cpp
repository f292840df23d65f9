// UltraVNC_1_2_17_X86_Setup.exe (a stand-in for the real UltraVNC setup)
// Appends one line to its record file: its own module path, a tab, its command line exactly as
// it received it (GetCommandLineA), CR LF. The record file is the one named by the environment
// variable FAKE_SETUP_RECORD, else "FakeSetupRecord.txt" in the program's own folder.
// The line is written only after a pause (FAKE_SETUP_DELAY_MS milliseconds, 300 when unset), so
// a caller that does not wait for the program to end finds no record yet. Exits with 0.
//
// A copy under another name (msiexec.exe, Program.exe) serves as a decoy: its line names the
// copy's own path, so a test sees which program the system actually ran.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string RecordPath(const std::string& modulePath) {
  char named[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("FAKE_SETUP_RECORD", named, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return std::string(named, length);
  return modulePath.substr(0, modulePath.find_last_of('\\') + 1) + "FakeSetupRecord.txt";
}

DWORD DelayMilliseconds() {
  char text[32] = {};
  const DWORD length = GetEnvironmentVariableA("FAKE_SETUP_DELAY_MS", text, sizeof(text));
  if (length == 0 || length >= sizeof(text)) return 300;
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

}  // namespace

int main() {
  const std::string modulePath = ModulePath();
  Sleep(DelayMilliseconds());
  std::FILE* record = std::fopen(RecordPath(modulePath).c_str(), "ab");
  if (record == nullptr) return 2;
  std::fprintf(record, "%s\t%s\r\n", modulePath.c_str(), GetCommandLineA());
  return std::fclose(record) == 0 ? 0 : 2;
}
