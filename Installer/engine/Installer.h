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
#include <aclapi.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "package/KnownFolders.h"
#include "package/codec/PayloadFormat.h"
#include "security/AccountSidCache.h"
#include "security/SecurityOwners.h"
#include "ui/ProgressContext.h"
#include "xml/XmlDom.h"

namespace rollback {
class RunChanges;
}

// One product setting: the element that holds it (below /appConfig/regInfo, with the index
// predicate used to find it), the element's name and its text.
struct RegValue {
  std::string keyPath;
  std::string valueName;
  std::string value;
  // 1 when the command line gave the value: a run that cannot store it fails.
  int fromCommandLine = 0;
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
  // Init's work after the resource was found, without its trace lines: |resource| is the
  // payload (header and stream). Tests call it with payloads built in memory.
  bool InitFromResource(const uint8_t* resource, size_t resourceSize, bool campusEmpty);
  // Frees the decompressed archive; harmless when it is already gone.
  void ReleasePayload();
  // Readies the engine for an installation attempt (engine/InstallRun.h): the archive's file
  // list is read from its start again, and nothing of an earlier attempt is kept (the folders it
  // made or granted, the folders its programs went to, the bytes it placed, its version folder,
  // its uninstall command). The first call takes the state as it is then as the starting point.
  void BeginAttempt();

  // The one way to tell the user something: a message box captioned with projectName, or, in
  // an unattended run, a log line (nobody is at the screen to close a box).
  void ReportMessage(const std::string& text);
  // ReportMessage for the sentence that ends a run (the outcome, or the refusal of a second
  // run): the log is on the disk up to that point before anyone hears of it, and in an
  // unattended run up to the sentence itself when this returns.
  void ReportOutcome(const std::string& text);
  // "Installation of <projectName> has failed." / "... has completed successfully.", then the
  // payload is released. Before the sentence, the run's recorded changes are rolled back (the
  // failure), or committed when that has not happened yet (the success).
  // The failure sentence names projectName, or the installer's own name (its file name without
  // ".exe") for a package refused before a product name was known. The success sentence follows
  // a warning line that names whatever leftAtOlderState holds.
  void ReportFailure();
  void ReportSuccess();
  // The failure sentence of ReportFailure, after the rollback, for an attempt the user can make
  // again: the payload is kept, since the run is not over (the wizard stays open after a failed
  // Finish, and a later Finish with another folder still installs from it, recording afresh).
  void ReportFailedAttempt();
  // Logs that |stepName| is not part of this build and answers false, so that a run never
  // pretends a missing step was done.
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

  // Reads the appConfig document into the fields. False only when the text cannot be loaded
  // (reported as "init XMLDOM failed!"); a value whose DOM call fails is logged and skipped.
  bool ParseXml(const std::string& text, bool campusEmpty);
  // |target| = the blank-trimmed text of the element at |path|, or "" when there is none.
  // 1 when the element exists.
  int ReadNodeText(std::string& target, IXMLDOMNode* context, const std::string& path);
  // Appends the setting at |path| (also when the element is missing); answers ReadNodeText's.
  int AddRegValue(IXMLDOMNode* context, const std::string& path);

  // Builds securityAttributes: a descriptor whose DACL gives each group of |groups| (separated
  // by "|") all file access. 1 on success; 0 after a reported failure (Init then fails).
  int initSecurityUserGroup(const std::string& groups);
  // Frees the SIDs, entries, ACL and descriptor; securityAttributes is left as it is.
  void ReleaseSecurity();
  // Gives each group of |groups| an inheritable full-access entry on |path|; a failing group is
  // reported and the next one tried.
  void SetGroupRights(const std::string& path, const std::string& groups);

  // Lets the setting lists an earlier installation stored (current user first, then the
  // machine) replace the configured values; for the main product also adds the stored ExitCare
  // location. Only reads the registry; never fails the installation.
  void MergeRegistrySettings();

  // Places AppInfo.xml below the application folder: a copy of |sourceFile| (the configuration
  // text) on first installation, with the settings written into its regInfo subtree; an existing
  // file is rewritten only when the host settings changed. The groups get their rights on the
  // file and its folder. |baseFolder| is installRoot, or the application folder for products
  // other than the main one. False after a reported failure: a setting the command line gave
  // could not be stored, and the run must not report success with other settings than asked for.
  bool UpdateAppInfo(const std::string& baseFolder, const std::string& sourceFile);
  // Writes every setting into appInfoPath with one load and one (re-indented) save; answers the
  // settings that could not be written, in list order. A value that cannot be written (a file
  // that does not load, a failing DOM call) is logged with its name, its element and the
  // HRESULT, and skipped; when the save fails, every value is logged and answered.
  std::vector<RegValue> WriteRegValuesToAppInfo();

  // Places every archive entry, in archive order, after the AppInfo.xml seed files and
  // UpdateAppInfo; reports progress to |progress| when given. False at the first entry that
  // cannot be written (reported), or when |progress| says the dialog is shutting down.
  bool Files(ProgressContext* progress);
  // Places the entry at payloadCursor and moves past it; false on a failed write, the cursor
  // then stays on that entry.
  bool ExtractNextFile();
  // Writes |elementSize| x |count| bytes to |fullName| after creating its folders; a write that
  // fails leaves no partial file. False after a reported failure.
  bool CreateDirOfFile(const std::string& fullName, const uint8_t* data, uint32_t elementSize,
                       uint32_t count);
  // installRoot + appName + "" + appName + version + "", fixed at its first call.
  std::string GetVersionFolder();

  // Start-menu (and with -t desktop) links for the configured shortcuts; also builds the
  // uninstall command line and icon.
  void CreateAppShortCuts();
  // The Uninstall entry <appName>_new under HKLM (engine/UninstallValues.h lists its values);
  // only with an uninstall command.
  void RegisterUninstall();
  // ExePathInfo, the file that names the current version folder. False after a reported failure
  // ("Cannot create file ..."): the record is there but cannot be set aside or replaced (another
  // program holds it open), so it would go on naming an older version folder while the Uninstall
  // entry names this version; the attempt must then fail and roll back. A record whose folder is
  // missing is left missing without a word (the product runs without it), and true is answered.
  bool CreateExePathInfo();
  // Removes earlier Windows Installer installations of the product.
  void ProcessOldVersion();
  // Runs the UltraVNC setup from the version folder when the server is not installed yet.
  // False only when the setup program could not be started.
  bool InstallUltraVNC();

  // Makes sure the company folder |destination| exists (creating it with the group rights),
  // creates the Start-menu company folder and sets installRoot. |destination| gets its trailing
  // backslash in place. False after a reported failure.
  bool PrepareInstall(std::string& destination);
  // Creates |path| with every missing parent; true when it exists afterwards.
  bool MyCreateDirectory(const std::string& path, SECURITY_ATTRIBUTES* security);
  // installRoot = |path| with a trailing backslash.
  void SetInstallRoot(const std::string& path);

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
  // What this attempt left at its older state and still counts as installed: a shared copy of
  // the main client one level up, or a link, that another program held open. A copy that cannot
  // be refreshed still works, so the run succeeds; ReportSuccess names them in a warning line.
  std::vector<std::string> leftAtOlderState;
  // Bytes of the files CreateDirOfFile wrote during this run (seeds, entries, shared copies):
  // the Uninstall entry's size estimate.
  uint64_t placedBytes = 0;
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
  CXmlDom configDocument;  // the loaded appConfig document
  int vistaEnabled = 0;
  int programsFolderId = 0;  // CSIDL of the Start-menu programs folder: 23 or 2
  int desktopFolderId = 0;   // CSIDL of the desktop folder: 25 or 16
  // The security objects, released in the reverse order by the destructor.
  std::vector<HeapSid> groupSids;               // one per configured group; null when unresolved
  std::vector<EXPLICIT_ACCESS_A> explicitAccess;  // one per group
  LocalBlock<ACL> groupAcl;
  LocalBlock<void> groupSecurityDescriptor;
  // Used for every folder and file the installer creates; set once the whole build succeeded.
  SECURITY_ATTRIBUTES securityAttributes = {};
  // The run's bookkeeping for its rollback (rollback/RunChanges.h), owned by start-up: every step
  // records each change through it before making it. Null records nothing (the tests of single
  // steps), and the steps then work exactly as they would without a rollback.
  rollback::RunChanges* runChanges = nullptr;

 private:
  // The parts of ParseXml: the product settings, the executables and the shortcuts.
  void ReadSettings(bool campusEmpty);
  void ReadExecutables();
  void ReadShortcuts();
  // The version folder as fixed at GetVersionFolder's first call.
  std::string versionFolder;
  // What BeginAttempt restores: the start of the archive's file list and the program folders as
  // configured, before an attempt's extraction replaced them with the folders it wrote to.
  bool attemptStartTaken_ = false;
  const uint8_t* fileListStart_ = nullptr;
  std::map<std::string, std::string> configuredExePaths_;
  bool FindPayloadResource(const uint8_t** bytes, size_t* size);
  bool UnpackPayload(const uint8_t* resource, size_t resourceSize,
                     payload::ArchiveSummary* summary);
  // The folders on the way to extracted files that got the group rights during this run,
  // lower-cased and sorted: each is granted once, not again for every file below it.
  std::vector<std::string> groupRightsFolders;
  // The folders CreateDirOfFile has made or found during this run: each is created once, not
  // again for every file below it.
  KnownFolders madeFolders;
  // The SIDs of the groups SetGroupRights grants, each looked up once per run.
  AccountSidCache accountSids;
};

// The path of a shell special folder (CSIDL), without a trailing backslash; empty when the
// system does not know it.
std::string GetShellFolderPath(int folderId);

// Writes GetShellFolderPath(folderId) + "\" + linkName + ".lnk" pointing at |targetPath|.
void CreateShellLink(const std::string& targetPath, const std::string& linkName,
                     const std::string& workingFolder, const std::string& arguments,
                     const std::string& iconFile, int iconIndex, int folderId);

extern CInstaller theInstaller;
