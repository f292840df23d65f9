// The engine object's life, the appConfig document as the engine reads it, and the defaults.
#include <shlobj.h>

#include <cstdio>

#include "engine/Installer.h"
#include "support/Log.h"
#include "support/PathHelpers.h"

namespace {

constexpr char kDefaultCompanyName[] = "QVX";
constexpr char kDefaultAppName[] = "Norvane";
constexpr char kDefaultGroupName[] = "Users|SYSTEM|Administrators";

constexpr char kAppInfoPath[] = "/appConfig/appInfo";
constexpr char kRootPath[] = "/appConfig";
constexpr char kSettingsPath[] = "/appConfig/regInfo/SOFTWARE/QVX/QUORVIN";
constexpr char kSettingsParent[] = "/appConfig/regInfo/SOFTWARE/QVX/";
constexpr char kRegInfoPrefix[] = "/appConfig/regInfo";

// Creates the folder when needed and answers whether it can be used.
bool FolderUsable(int folderId) {
  const std::string path = GetShellFolderPath(folderId);
  return EnsurePath(path.c_str(), false, nullptr) == 1;
}

std::string Indexed(const std::string& path, int index) {
  char text[32];
  std::snprintf(text, sizeof(text), "[%d]", index);
  return path + text;
}

// Lower-cases |text| in the process code page, double-byte characters included.
std::string LowerCase(std::string text) {
  if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// The wizard's multi-line edit boxes need CR LF to show a line break.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A failing DOM call costs only the value it was for: it is logged with the path and the
// HRESULT, and the value is taken as absent.
void LogDomFailure(const std::string& path, const _com_error& error) {
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(error.Error()));
  theLog.Write(("Reading " + path + " from the configuration failed with HRESULT " + code +
                "; the value is skipped.").c_str());
}

// The first element at the absolute |path|, or none.
ComPtr<IXMLDOMNode> SelectNode(CXmlDom& document, const std::string& path) {
  ComPtr<IXMLDOMNode> node;
  try {
    document.GetNode(path, &node, 1);
  } catch (const _com_error& error) {
    LogDomFailure(path, error);
    node.reset();
  }
  return node;
}

}  // namespace

CInstaller::CInstaller() {
  if (FolderUsable(CSIDL_COMMON_PROGRAMS) && FolderUsable(CSIDL_COMMON_DESKTOPDIRECTORY)) {
    programsFolderId = CSIDL_COMMON_PROGRAMS;
    desktopFolderId = CSIDL_COMMON_DESKTOPDIRECTORY;
  } else {
    programsFolderId = CSIDL_PROGRAMS;
    desktopFolderId = CSIDL_DESKTOPDIRECTORY;
  }
}

CInstaller::~CInstaller() { ReleaseSecurity(); }

void CInstaller::ApplyDefaults(const std::string& productName) {
  if (companyName.empty()) companyName = kDefaultCompanyName;
  if (appName.empty()) appName = kDefaultAppName;
  if (groupName.empty()) groupName = kDefaultGroupName;
  if (projectName.empty()) projectName = productName;
}

int CInstaller::ReadNodeText(std::string& target, IXMLDOMNode* context, const std::string& path) {
  std::string text;
  int found = 0;
  try {
    found = configDocument.GetNodeText(&text, context, path);
  } catch (const _com_error& error) {
    LogDomFailure(path, error);
    text.clear();
    found = 0;
  }
  // Only blanks are trimmed: a tab or a line break the document hands back stays in the value.
  target = TrimBlanks(text);
  return found;
}

int CInstaller::AddRegValue(IXMLDOMNode* context, const std::string& path) {
  RegValue record;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    record.valueName = path;
  } else {
    record.keyPath = path.substr(0, slash);
    record.valueName = path.substr(slash + 1);
  }
  if (record.keyPath.compare(0, sizeof(kRegInfoPrefix) - 1, kRegInfoPrefix) == 0) {
    record.keyPath.erase(0, sizeof(kRegInfoPrefix) - 1);
  }
  const int found = ReadNodeText(record.value, context, path);
  regValues.push_back(record);
  return found;
}

bool CInstaller::ParseXml(const std::string& text, bool campusEmpty) {
  // The whole configuration goes into the log, so every run shows what it was built from.
  theLog.EnterFunction("ParseXml()", ("xmlName is " + text).c_str());
  if (!configDocument.Load(text, 0)) {
    ReportMessage("init XMLDOM failed!");
    return false;
  }

  if (ComPtr<IXMLDOMNode> appInfo = SelectNode(configDocument, kAppInfoPath)) {
    const std::string block = kAppInfoPath;
    ReadNodeText(companyName, appInfo.get(), block + "/companyName");
    ReadNodeText(appName, appInfo.get(), block + "/appName");
    ReadNodeText(groupName, appInfo.get(), block + "/groupName");
    ReadNodeText(justHelper, appInfo.get(), block + "/justHelper");
    ReadNodeText(projectName, appInfo.get(), block + "/projectName");
  }

  if (ComPtr<IXMLDOMNode> root = SelectNode(configDocument, kRootPath)) {
    const std::string block = kRootPath;
    ReadNodeText(license, root.get(), block + "/license");
    ReadNodeText(information, root.get(), block + "/information");
    license = WithCrLf(license);
    information = WithCrLf(information);
  }

  ReadSettings(campusEmpty);
  ReadExecutables();
  ReadShortcuts();

  theLog.LeaveFunction("ParseXml()");
  return true;
}

void CInstaller::ReadSettings(bool campusEmpty) {
  // Tallyset and TallysetAdmin keep their settings under a product key of their own name.
  const bool ownKey = lstrcmpiA(appName.c_str(), "Tallyset") == 0 ||
                      lstrcmpiA(appName.c_str(), "TallysetAdmin") == 0;
  const std::string settingsPath =
      Indexed(ownKey ? kSettingsParent + appName : std::string(kSettingsPath), 0);
  const ComPtr<IXMLDOMNode> settings = SelectNode(configDocument, settingsPath);
  if (!settings) return;

  if (!campusEmpty) AddRegValue(settings.get(), settingsPath + "/Campus");
  for (const char* name : {"/HostList", "/PortList", "/AutoUpdateHostName", "/UpdateFileURL",
                           "/Font/Size/MinFontSize", "/WebHostList"}) {
    AddRegValue(settings.get(), settingsPath + name);
  }
}

void CInstaller::ReadExecutables() {
  for (int i = 0;; ++i) {
    const std::string entryPath = Indexed("/appConfig/exeInfo", i);
    const ComPtr<IXMLDOMNode> entry = SelectNode(configDocument, entryPath);
    if (!entry) return;
    std::string name;
    std::string path;
    ReadNodeText(name, entry.get(), entryPath + "/name");
    ReadNodeText(path, entry.get(), entryPath + "/path");
    // The first entry for a program wins; names are compared in lower case.
    exePaths.emplace(LowerCase(name), path);
  }
}

void CInstaller::ReadShortcuts() {
  for (int i = 0;; ++i) {
    const std::string entryPath = Indexed("/appConfig/shortCut", i);
    const ComPtr<IXMLDOMNode> entry = SelectNode(configDocument, entryPath);
    if (!entry) return;
    ShortcutInfo shortcut;
    ReadNodeText(shortcut.name, entry.get(), entryPath + "/name");
    ReadNodeText(shortcut.alias, entry.get(), entryPath + "/alias");
    ReadNodeText(shortcut.argument, entry.get(), entryPath + "/argument");
    ReadNodeText(shortcut.icon, entry.get(), entryPath + "/icon");
    shortcut.name = LowerCase(shortcut.name);
    shortcut.icon = LowerCase(shortcut.icon);
    shortcuts.push_back(shortcut);
  }
}
