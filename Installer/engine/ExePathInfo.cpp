// ExePathInfo: the record, at a path that stays the same from version to version, of the version
// folder the latest installation filled.
#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"
#include "support/UniqueHandle.h"

namespace {

bool IsMainProduct(const std::string& appName) {
  return lstrcmpiA(appName.c_str(), "Norvane") == 0;
}

}  // namespace

void CInstaller::CreateExePathInfo() {
  theLog.EnterFunction("CreateExePathInfo()", nullptr);
  // A helper-only install fills no version folder worth pointing at.
  if (lstrcmpiA(justHelper.c_str(), "TRUE") == 0) {
    theLog.Write("Helper isn't installed.");
    return;
  }
  // Beside the shared program copies: the company folder for the main product, the application
  // folder for the others.
  const std::string fileName =
      installRoot + (IsMainProduct(appName) ? std::string() : appName + "\\") + "ExePathInfo";
  // The earlier record is set aside first, so that a run that does not succeed gives it back; a
  // record that cannot be set aside (logged) stays as it is.
  DWORD error = ERROR_SUCCESS;
  if (runChanges && !runChanges->Journal().PrepareFileWrite(fileName, &error)) {
    theLog.LeaveFunction("CreateExePathInfo()");
    return;
  }
  // Replaced on every installation; the bytes are the path alone (no NUL, no line break), which
  // is what the product's programs read.
  const UniqueHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, &securityAttributes,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A record that cannot be written is left missing or short: the installed product runs
  // without it, so the installation goes on without a word.
  if (file) {
    const std::string content = GetVersionFolder();
    DWORD written = 0;
    WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  }
  theLog.LeaveFunction("CreateExePathInfo()");
}
