// The shortcut step: Start-menu and desktop links for the configured programs, written through
// the shell link object.
#include "engine/Shortcuts.h"

#include <windows.h>
#include <io.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "engine/Installer.h"
#include "rollback/RunChanges.h"
#include "support/ComPtr.h"
#include "support/Log.h"
#include "support/PathHelpers.h"

namespace {

// COM for the calling thread while the step runs. Only a successful CoInitialize (S_OK or
// S_FALSE) is balanced: uninitialising after a failed one would tear down an apartment that
// belongs to someone else on this thread.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

bool IsStartMenuFolder(int folderId) {
  return folderId == CSIDL_COMMON_PROGRAMS || folderId == CSIDL_PROGRAMS;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folders above |linkBase| (the link's path without ".lnk"): the Start-menu company
// folder, and a sub-folder when the alias holds a backslash; through the run's bookkeeping when
// it records. True when the folder the link goes into is there afterwards.
bool EnsureLinkFolder(rollback::RunChanges* changes, const std::string& linkBase) {
  if (_access(linkBase.c_str(), 2) == 0) return true;
  if (changes) {
    DWORD error = ERROR_SUCCESS;
    changes->Journal().CreateFolder(GetPathFolder(linkBase.c_str()), nullptr, &error);
  } else {
    EnsurePath(linkBase.c_str(), true, nullptr);
  }
  return IsFolder(GetPathFolder(linkBase.c_str()));
}

bool ProgramExists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

void SaveShellLink(CInstaller& engine, const ShortcutLink& link, const std::string& linkFile) {
  rollback::RunChanges* changes = engine.runChanges;
  ComPtr<IShellLinkA> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(shellLink.put())))) {
    theLog.Write(("Could not create the shell link object for " + linkFile + ".").c_str());
    return;
  }
  // The setters' results are not looked at: a link that lacks a detail still starts the program.
  shellLink->SetPath(link.target.c_str());
  shellLink->SetWorkingDirectory(link.workingFolder.c_str());
  shellLink->SetArguments(link.arguments.c_str());
  if (link.iconIndex >= 0) {
    shellLink->SetIconLocation(link.target.c_str(), link.iconIndex);
  } else {
    shellLink->SetIconLocation(link.iconFile.c_str(), 0);
  }

  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) {
    return;
  }
  wchar_t widePath[MAX_PATH] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, widePath, MAX_PATH)) {
    theLog.Write(("Link path too long: " + linkFile + ".").c_str());
    return;
  }
  // A link of an earlier installation is set aside first, so that a run that does not succeed
  // gives it back; one that cannot be set aside (logged) stays as it is, and still starts the
  // shared program it names: the run names it at its end.
  const bool existed = ProgramExists(linkFile);
  DWORD error = ERROR_SUCCESS;
  if (changes && !changes->Journal().PrepareFileWrite(linkFile, &error)) {
    if (existed) engine.leftAtOlderState.push_back(linkFile);
    return;
  }
  const HRESULT saved = file->Save(widePath, TRUE);
  if (FAILED(saved)) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(saved));
    theLog.Write(("Could not save link " + linkFile + ": HRESULT " + code + ".").c_str());
    if (existed && ProgramExists(linkFile)) engine.leftAtOlderState.push_back(linkFile);
  }
}

// Tells the shell that <all-users desktop>\<alias>.lnk is gone, so that a desktop view that
// still shows a link of an earlier version refreshes. Nothing is deleted.
void AnnounceCommonDesktopLinkGone(const std::string& alias) {
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE)) return;
  const std::string linkFile = std::string(folder) + "\\" + alias + ".lnk";
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHA, linkFile.c_str(), nullptr);
}

}  // namespace

void CreateShellLink(CInstaller& reporter, const ShortcutLink& link) {
  const std::string shellFolder = GetShellFolderPath(link.folderId);
  const std::string linkBase = shellFolder + "\\" + link.linkName;
  if (IsStartMenuFolder(link.folderId)) {
    if (shellFolder.empty() || !EnsureLinkFolder(reporter.runChanges, linkBase)) {
      reporter.ReportMessage("Could not create Start menu directory " + linkBase + ".");
      return;
    }
  } else if (shellFolder.empty()) {
    // Without the folder the link would land at the root of the current drive.
    theLog.Write(("Unknown shell folder " + std::to_string(link.folderId) + " for link " +
                  link.linkName + ".")
                     .c_str());
    return;
  }
  SaveShellLink(reporter, link, linkBase + ".lnk");
}

void CreateShellLink(const std::string& targetPath, const std::string& linkName,
                     const std::string& workingFolder, const std::string& arguments,
                     const std::string& iconFile, int iconIndex, int folderId) {
  ShortcutLink link;
  link.target = targetPath;
  link.linkName = linkName;
  link.workingFolder = workingFolder;
  link.arguments = arguments;
  link.iconFile = iconFile;
  link.iconIndex = iconIndex;
  link.folderId = folderId;
  CreateShellLink(theInstaller, link);
}

void CInstaller::CreateAppShortCuts() {
  theLog.EnterFunction("CreateAppShortCuts()", nullptr);
  {
    const ComApartment apartment;
    // The archive tells where extraction put the programs that exeInfo does not list.
    InstalledFiles files;
    files.archivePaths = payload::ListEntryPaths(payloadBuffer.bytes.get(), payloadBuffer.size);
    files.exists = ProgramExists;
    std::vector<std::string> skipped;
    const std::vector<ShortcutLink> links = PlanShortcutLinks(*this, files, &skipped);
    for (const std::string& line : skipped) theLog.Write(line.c_str());
    for (const ShortcutLink& link : links) {
      CreateShellLink(*this, link);
      if (!link.refreshDesktopAlias.empty()) {
        AnnounceCommonDesktopLinkGone(link.refreshDesktopAlias);
      }
    }
  }
  theLog.LeaveFunction("CreateAppShortCuts()");
}
