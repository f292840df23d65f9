// The installation engine: one object, theInstaller, that holds the configuration read from the
// payload, the run flags set by start-up and the wizard, the paths the steps work out, the
// decompressed payload and the security objects. Every installation step is an operation of it.
//
// Conventions of every step: it answers true (or 1) on success; a step that fails tells the user
// itself through ReportMessage before it answers false, and its caller decides whether the run
// goes on. Each step traces "Enter function X()." and, only when it ends normally, "Leave
// function X().", so a failed step shows in the log as an entry without a leave line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "package/codec/PayloadFormat.h"

// One product setting: the element that holds it (below /appConfig/regInfo, with the index
// predicate used to find it), the element's name and its text.
struct RegValue {
  std::string keyPath;
  std::string valueName;
  std::string value;
};

// One shortcut entry of the configuration; name and icon are lower-cased when read.
struct ShortcutInfo {
  std::string name;
  std::string alias;
  std::string argument;
  std::string icon;
};

class CInstaller {
 public:
  // Chooses the all-users Start-menu and desktop folders when both can be used, else the
  // current user's (the two always switch together).
  CInstaller();
  ~CInstaller();
  CInstaller(const CInstaller&) = delete;
  CInstaller& operator=(const CInstaller&) = delete;

  // Finds and decompresses the payload resource of the running executable, checks the whole
  // archive, reads product name, version and configuration, applies the configuration and its
  // defaults and prepares the group rights. False after a reported failure: the run must stop.
  bool Init(bool campusEmpty);
  // Init's work after the resource was found: |resource| is the payload (header and stream).
  // Tests call it with payloads built in memory.
  bool InitFromResource(const uint8_t* resource, size_t resourceSize, bool campusEmpty);
  // Frees the decompressed archive; harmless when it is already gone.
  void ReleasePayload();

  // The one way to tell the user something: a message box captioned with projectName, or, in
  // an unattended run, a log line (nobody is at the screen to close a box).
  void ReportMessage(const std::string& text);
  // "Installation of <projectName> has failed." / "... has completed successfully.", then the
  // payload is released.
  void ReportFailure();
  void ReportSuccess();
  // Logs that |stepName| is not part of this build and answers false: the run stops there,
  // visibly, instead of pretending the step was done.
  bool ReportStepNotBuilt(const char* stepName);

  std::string GetCompanyName() const { return companyName; }
  std::string GetAppName() const { return appName; }
  std::string GetGroupName() const { return groupName; }
  std::string GetLicense() const { return license; }
  std::string GetInformation() const { return information; }
  std::string GetProjectName() const { return projectName; }
  void SetStartMenuShortcut(int value) { startMenuShortcut = value; }

  // Fills the configuration fields left empty with their defaults; the product name read
  // from the payload is projectName's.
  void ApplyDefaults(const std::string& productName);

  // The payload resource as found, loaded and locked in the executable.
  HRSRC resourceHandle = nullptr;
  HGLOBAL resourceData = nullptr;
  const uint8_t* resourceBytes = nullptr;
  std::string companyName;
  std::string appName;
  std::string version;
  std::string appInfoPath;
  std::string justHelper;
  std::string installRoot;  // the company folder, always ending in a backslash
  uint32_t fileCount = 0;
  std::string projectName;
  std::string groupName;  // groups separated by vertical bars
  std::string license;
  std::string information;
  std::string configText;
  std::string uninstallCommand;
  std::string uninstallIcon;
  int startMenuShortcut = 0;
  const uint8_t* payloadCursor = nullptr;  // read position in payloadBuffer
  payload::ArchiveBuffer payloadBuffer;    // the decompressed archive, owned
  std::vector<RegValue> regValues;
  std::vector<ShortcutInfo> shortcuts;
  std::map<std::string, std::string> exePaths;  // lower-case program file name -> path word or folder
  int invokedByAutoUpdate = 0;
  int silent = 0;
  int silentUninstall = 0;
  int desktopShortcut = 0;
  int hostSettingsChanged = 0;
  int installUltraVNC = 0;
  int vistaEnabled = 0;
  int programsFolderId = 0;  // CSIDL of the Start-menu programs folder: 23 or 2
  int desktopFolderId = 0;   // CSIDL of the desktop folder: 25 or 16

 private:
  bool FindPayloadResource(const uint8_t** bytes, size_t* size);
  bool UnpackPayload(const uint8_t* resource, size_t resourceSize,
                     payload::ArchiveSummary* summary);
};

extern CInstaller theInstaller;
