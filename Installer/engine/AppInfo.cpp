// AppInfo.xml: a copy of the configuration below the application folder whose regInfo subtree
// carries the product settings, readable and writable by the configured groups.
#include <io.h>

#include <cstdio>

#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/Log.h"
#include "support/PathHelpers.h"
#include "xml/RegUtil.h"

namespace {

std::string HresultText(HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(result));
  return code;
}

void LogUnwrittenValue(const std::string& keyPath, const std::string& valueName,
                       const std::string& file, HRESULT result) {
  theLog.Write(("Writing setting " + valueName + " to element " +
                ValueElementPath(keyPath, valueName) + " of " + file +
                " failed with HRESULT " + HresultText(result) + "; the value is skipped.")
                   .c_str());
}

// Writes |record| into the loaded |file| (at |path|); false, logged, when it cannot be written.
bool PutSetting(CRegUtil& file, const RegValue& record, const std::string& path) {
  try {
    if (file.PutValue(record.keyPath, record.valueName, record.value) == 1) return true;
    LogUnwrittenValue(record.keyPath, record.valueName, path, file.LastFailure());
  } catch (const _com_error& error) {
    LogUnwrittenValue(record.keyPath, record.valueName, path, error.Error());
  }
  return false;
}

// Saves |file| with the values written into it: S_OK, or why it could not be saved re-indented.
HRESULT SaveSettings(CRegUtil& file) {
  try {
    return file.Save() == 1 ? S_OK : file.LastFailure();
  } catch (const _com_error& error) {
    return error.Error();
  }
}

// The names of the settings in |unwritten| that the command line gave, separated by ", ".
std::string CommandLineSettingNames(const std::vector<RegValue>& unwritten) {
  std::string names;
  for (const RegValue& record : unwritten) {
    if (!record.fromCommandLine) continue;
    if (!names.empty()) names += ", ";
    names += record.valueName;
  }
  return names;
}

// The folders above |file|, with |security|: through the run's bookkeeping when it records.
void MakeFoldersAbove(rollback::RunChanges* changes, const std::string& file,
                      SECURITY_ATTRIBUTES* security) {
  if (!changes) {
    EnsurePath(file.c_str(), true, security);
    return;
  }
  DWORD error = ERROR_SUCCESS;
  changes->Journal().CreateFolder(GetPathFolder(file.c_str()), security, &error);
}

// Whether the run may write the new file |file| (it is recorded first), or change the existing
// one (a copy is set aside first). Always when the run records nothing. A file that cannot be
// recorded or copied is logged and left alone.
bool MayPlace(rollback::RunChanges* changes, const std::string& file) {
  DWORD error = ERROR_SUCCESS;
  return !changes || changes->Journal().PrepareFileWrite(file, &error);
}
bool MayRewrite(rollback::RunChanges* changes, const std::string& file) {
  DWORD error = ERROR_SUCCESS;
  return !changes || changes->Journal().PrepareFileEdit(file, &error);
}

}  // namespace

bool CInstaller::UpdateAppInfo(const std::string& baseFolder, const std::string& sourceFile) {
  // For the main product the base is the company folder; for the others it already is the
  // application folder. Both give <installRoot><appName>\AppData\AppInfo.xml.
  if (lstrcmpiA(appName.c_str(), "Norvane") == 0) {
    appInfoPath = baseFolder + appName + "\\AppData\\AppInfo.xml";
  } else {
    appInfoPath = baseFolder + "AppData\\AppInfo.xml";
  }
  MakeFoldersAbove(runChanges, appInfoPath, &securityAttributes);

  // A file that cannot be recorded first is not written at all: none of the values reach it.
  std::vector<RegValue> unwritten;
  if (_access(appInfoPath.c_str(), 0) != 0) {
    if (!MayPlace(runChanges, appInfoPath)) {
      unwritten = regValues;
    } else {
      CopyFileA(sourceFile.c_str(), appInfoPath.c_str(), TRUE);
      // Settings an earlier installation left in the registry carry over into a new file,
      // unless the host values were given for this run.
      if (!hostSettingsChanged) MergeRegistrySettings();
      unwritten = WriteRegValuesToAppInfo();
    }
  } else if (hostSettingsChanged) {
    unwritten = MayRewrite(runChanges, appInfoPath) ? WriteRegValuesToAppInfo() : regValues;
  }
  // The groups may change the file later, not only administrators.
  SetGroupRights(GetPathFolder(appInfoPath.c_str()), groupName);
  SetGroupRights(appInfoPath, groupName);
  // The file is part of what the installation occupies (the Uninstall entry's size), whether this
  // run wrote it or kept the one an earlier installation left.
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (GetFileAttributesExA(appInfoPath.c_str(), GetFileExInfoStandard, &data)) {
    placedBytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  const std::string lost = CommandLineSettingNames(unwritten);
  if (lost.empty()) return true;
  ReportMessage("Settings given on the command line could not be stored in " + appInfoPath +
                ": " + lost + ".");
  return false;
}

std::vector<RegValue> CInstaller::WriteRegValuesToAppInfo() {
  // One load, every value written into the document, one save: the file is read, re-indented
  // and written once however many settings there are. A value that cannot be written (an
  // AppInfo.xml without the product key, say) costs only that value; the others are still
  // written.
  CRegUtil file(appInfoPath);
  std::vector<RegValue> unwritten;
  std::vector<RegValue> written;
  for (const RegValue& record : regValues) {
    if (PutSetting(file, record, appInfoPath)) {
      written.push_back(record);
    } else {
      unwritten.push_back(record);
    }
  }
  if (written.empty()) return unwritten;
  const HRESULT saved = SaveSettings(file);
  if (SUCCEEDED(saved)) return unwritten;
  // None of the values reached the file as it should be.
  for (const RegValue& record : written) {
    LogUnwrittenValue(record.keyPath, record.valueName, appInfoPath, saved);
  }
  return regValues;
}
