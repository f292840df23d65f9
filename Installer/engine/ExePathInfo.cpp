// ExePathInfo: the record, at a path that stays the same from version to version, of the version
// folder the latest installation filled.
#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/CallFailure.h"
#include "support/Log.h"
#include "support/UniqueHandle.h"

namespace {

bool IsMainProduct(const std::string& appName) {
  return lstrcmpiA(appName.c_str(), "Norvane") == 0;
}

// The report of a record that names another version folder than this run's, or none that can
// be read whole; answers false for the step.
bool ReportRecordNotWritten(CInstaller& engine, const std::string& fileName) {
  engine.ReportMessage("Cannot create file " + fileName + ". If any QVX program (i.e." +
                       engine.appName + ") is running, please quit it first.");
  return false;
}

}  // namespace

bool CInstaller::CreateExePathInfo() {
  theLog.EnterFunction("CreateExePathInfo()", nullptr);
  // A helper-only install fills no version folder worth pointing at.
  if (lstrcmpiA(justHelper.c_str(), "TRUE") == 0) {
    theLog.Write("Helper isn't installed.");
    return true;
  }
  // Beside the shared program copies: the company folder for the main product, the application
  // folder for the others.
  const std::string fileName =
      installRoot + (IsMainProduct(appName) ? std::string() : appName + "\\") + "ExePathInfo";
  // The earlier record is set aside first, so that a run that does not succeed gives it back. One
  // that cannot be set aside would stay, naming the older version: the attempt fails.
  DWORD error = ERROR_SUCCESS;
  if (runChanges && !runChanges->Journal().PrepareFileWrite(fileName, &error)) {
    return ReportRecordNotWritten(*this, fileName);
  }
  // Replaced on every installation; the bytes are the path alone (no NUL, no line break), which
  // is what the product's programs read.
  const UniqueHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, &securityAttributes,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD createError = GetLastError();
    // Without its folder the record is simply missing: the installed product runs without it.
    if (createError != ERROR_PATH_NOT_FOUND) {
      LogCallFailure("CreateFileA", fileName, createError);
      return ReportRecordNotWritten(*this, fileName);
    }
  } else {
    const std::string content = GetVersionFolder();
    DWORD written = 0;
    if (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) ||
        written != content.size()) {
      LogCallFailure("WriteFile", fileName, GetLastError());
      return ReportRecordNotWritten(*this, fileName);
    }
  }
  theLog.LeaveFunction("CreateExePathInfo()");
  return true;
}
