// AppInfo.xml: a copy of the configuration below the application folder whose regInfo subtree
// carries the product settings, readable and writable by the configured groups.
#include <io.h>

#include <cstdio>

#include "engine/Installer.h"
#include "support/Log.h"
#include "support/PathHelpers.h"
#include "xml/RegUtil.h"

void CInstaller::UpdateAppInfo(const std::string& baseFolder, const std::string& sourceFile) {
  // For the main product the base is the company folder; for the others it already is the
  // application folder. Both give <installRoot><appName>\AppData\AppInfo.xml.
  if (lstrcmpiA(appName.c_str(), "Norvane") == 0) {
    appInfoPath = baseFolder + appName + "\\AppData\\AppInfo.xml";
  } else {
    appInfoPath = baseFolder + "AppData\\AppInfo.xml";
  }
  EnsurePath(appInfoPath.c_str(), true, &securityAttributes);

  if (_access(appInfoPath.c_str(), 0) != 0) {
    CopyFileA(sourceFile.c_str(), appInfoPath.c_str(), TRUE);
    // Settings an earlier installation left in the registry carry over into a new file, unless
    // the host values were given for this run.
    if (!hostSettingsChanged) MergeRegistrySettings();
    WriteRegValuesToAppInfo();
  } else if (hostSettingsChanged) {
    WriteRegValuesToAppInfo();
  }
  // The groups may change the file later, not only administrators.
  SetGroupRights(GetPathFolder(appInfoPath.c_str()), groupName);
  SetGroupRights(appInfoPath, groupName);
}

int CInstaller::WriteRegValuesToAppInfo() {
  for (const RegValue& record : regValues) {
    SetAppInfoValue(record.keyPath, record.valueName, record.value);
  }
  return static_cast<int>(regValues.size());
}

int CInstaller::SetAppInfoValue(const std::string& keyPath, const std::string& valueName,
                                const std::string& value) {
  try {
    CRegUtil file(appInfoPath);
    return file.SetValue(keyPath, valueName, value);
  } catch (const _com_error& error) {
    // One value that cannot be written (an AppInfo.xml without the product key, say) costs only
    // that value; the others are still written.
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(error.Error()));
    theLog.Write(("Writing " + keyPath + " " + valueName + " to " + appInfoPath +
                  " failed with HRESULT " + code + "; the value is skipped.")
                     .c_str());
    return 0;
  }
}
