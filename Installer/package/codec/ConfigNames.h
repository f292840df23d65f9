// Which configuration values the installer will join into its paths.
//
// The installer builds its folders and links by plain concatenation from values of the appConfig
// document: the company folder from companyName, the application and version folders from appName
// (and the version), the links from each shortCut alias below the Start-menu company folder, and
// a program's path from its exeInfo path, shortCut name and icon. A value that climbs out with
// "..", is rooted, names a drive or a device, or holds a character Windows refuses would put files
// and links outside the folders the user chose. The installer (values read through the XML DOM)
// and the packing tool (values read by its own small reader) both judge the values here, so that
// the two can never disagree on a name.
#pragma once

#include <string>
#include <string_view>

namespace payload {

// The configuration elements whose values become part of a path.
enum class ConfigName {
  kCompanyName,    // appInfo/companyName: the company folder and the Start-menu company folder
  kAppName,        // appInfo/appName: the application folder and, with the version, the version
                   // folder
  kExePath,        // exeInfo/path: the keywords "root" and "mainApp", or a folder of the program
  kShortcutName,   // shortCut/name: the program, appended to its folder
  kShortcutAlias,  // shortCut/alias: the link's name below the Start-menu company folder
  kShortcutIcon,   // shortCut/icon: an icon index, or the icon's file appended to its folder
};

// "" when |value| (the element's text with the blanks at its ends removed, as the installer reads
// it) may be joined into the installer's paths; else the reason, naming the element and the value:
//   the configuration's appName "..\Esc" must be a single folder name (it contains a backslash)
// The rules are those of archive entry paths (CheckEntryPath): relative, no "." or ".."
// component, nothing rooted, no drive, no UNC, no reserved or control character, no device
// name. companyName and appName must also be a single component. An alias, a shortCut name or
// icon and an exeInfo path may hold folders ("Tools\Helpdesk"); an exeInfo path may also end in
// one backslash, as a folder. An empty value is accepted: it means the value was not given
// (companyName and appName then take their sound defaults "QVX" and "Norvane"; an empty exeInfo
// path means the version folder).
std::string CheckConfigName(ConfigName which, std::string_view value);

// "" when |appName| immediately followed by |version| can name the version folder; else the
// reason, naming both ("CO" and "M1" give the device name "COM1"). An empty |appName| stands for
// the default "Norvane", which forms a sound name with every version CheckVersionText accepts.
std::string CheckVersionFolderName(std::string_view appName, std::string_view version);

}  // namespace payload
