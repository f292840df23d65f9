#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/Installer.h"
#include "support/Log.h"

namespace {

// <temporary folder>\installer_tests_log
std::string UnitTestLogFolder() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  const std::string base = (length > 0 && length < MAX_PATH) ? std::string(temp, length) : ".\\";
  return base + "installer_tests_log";
}

}  // namespace

// The engine the start-up code works on, as in the program.
CInstaller theInstaller;

// The library writes its trace to theLog, which the program defines for itself. The unit tests
// define it here, with the program's period kind, in a folder of its own under the temporary
// folder: left to its default it would log next to installer_tests.exe in the build folder,
// and a test that writes through theLog must never touch anything outside the temporary folder.
CLogEx theLog(UnitTestLogFolder().c_str(), 1);

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
