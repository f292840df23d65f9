#include "PackerOptions.h"

#include <utility>

#include "InstallableSize.h"

namespace packer {

const char kDefaultLicense[] = "Proprietary";

namespace {

struct OptionSlot {
  const char* name;
  std::string PackerOptions::*field;
};

const OptionSlot kSlots[] = {
    {"--name", &PackerOptions::name},
    {"--version", &PackerOptions::version},
    {"--config", &PackerOptions::configPath},
    {"--product", &PackerOptions::productDir},
    {"--list", &PackerOptions::listPath},
    {"--payload", &PackerOptions::payloadPath},
    {"--installer", &PackerOptions::installerPath},
    {"--output", &PackerOptions::outputPath},
    {"--copyright", &PackerOptions::copyright},
    {"--manifests", &PackerOptions::manifestsDir},
    {"--installer-url", &PackerOptions::installerUrl},
    {"--license", &PackerOptions::license},
};

// An InstallerUrl winget takes: http or https, at most 2048 characters, no control character.
bool IsInstallerUrl(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos || scheme + 3 == url.size() || url.size() > 2048) return false;
  std::string name = url.substr(0, scheme);
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (name != "http" && name != "https") return false;
  for (const char c : url) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string CheckManifestOptions(const PackerOptions& options) {
  if (options.manifestsDir.empty()) {
    if (!options.installerUrl.empty() || !options.license.empty()) {
      return "--installer-url and --license describe the manifests: give --manifests";
    }
    return "";
  }
  if (options.outputPath.empty()) {
    return "--manifests describe a finished installer: give --installer and --output";
  }
  if (!options.installerUrl.empty() && !IsInstallerUrl(options.installerUrl)) {
    return "--installer-url must be an http or https URL of at most 2048 characters";
  }
  return "";
}

const OptionSlot* FindSlot(const std::string& name) {
  for (const OptionSlot& slot : kSlots) {
    if (name == slot.name) return &slot;
  }
  return nullptr;
}

std::string CheckComplete(const PackerOptions& options) {
  const std::pair<const char*, const std::string*> required[] = {
      {"--name", &options.name},
      {"--version", &options.version},
      {"--config", &options.configPath},
      {"--product", &options.productDir},
  };
  for (const auto& [name, value] : required) {
    if (value->empty()) return std::string(name) + " is required and must not be empty";
  }
  if (options.installerPath.empty() != options.outputPath.empty()) {
    return "--installer and --output go together";
  }
  if (!options.copyright.empty() && options.outputPath.empty()) {
    return "--copyright labels a finished installer: give --installer and --output";
  }
  if (options.payloadPath.empty() && options.outputPath.empty()) {
    return "nothing to write: give --payload, or --installer with --output";
  }
  return CheckManifestOptions(options);
}

}  // namespace

std::string ParsePackerOptions(const std::vector<std::string>& args, PackerOptions* options) {
  PackerOptions parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h" || arg == "-?") {
      *options = PackerOptions();
      options->help = true;
      return "";
    }
    if (arg == "--strict") {
      parsed.strict = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSlot* slot = FindSlot(name);
    if (slot == nullptr) return "unknown argument \"" + arg + "\" (see --help)";
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return name + " needs a value";
    }
    std::string& field = parsed.*(slot->field);
    if (!field.empty()) return name + " is given twice";
    field = value;
  }
  const std::string reason = CheckComplete(parsed);
  if (!reason.empty()) return reason;
  if (parsed.license.empty()) parsed.license = kDefaultLicense;
  *options = std::move(parsed);
  return "";
}

std::string PackerHelpText(bool win32Build) {
  std::string text =
      "Usage:\n"
      "  packer --name NAME --version VERSION --config APPCONFIG.xml --product DIR\n"
      "         [--list FILE] --payload OUT.bin\n"
      "  packer --name NAME --version VERSION --config APPCONFIG.xml --product DIR\n"
      "         [--list FILE] [--payload OUT.bin] --installer Setup.exe --output FINISHED.exe\n"
      "         [--manifests DIR [--installer-url URL] [--license TEXT]]\n"
      "\n"
      "Packs a product into an installer payload: an 8-byte header (archive length, stream\n"
      "length, both u32 little-endian) and one zlib stream of the archive, which holds the\n"
      "product name, the version, the appConfig text and every product file.\n"
      "\n"
      "Options (a value may also follow '=': --name=Norvane):\n"
      "  --name NAME        product name stored in the archive (the default display name)\n"
      "  --version VERSION  product version; it becomes part of the version folder's name\n"
      "  --config FILE      the appConfig XML, stored byte for byte (may be an empty file);\n"
      "                     its text is read as the installer reads it: as ANSI text (taken\n"
      "                     to be code page 1252), whatever encoding it declares\n"
      "  --product DIR      the product folder; without --list every regular file below it\n"
      "                     is packed, sorted by its relative path\n"
      "  --list FILE        pack only these files of DIR, in this order: one relative path a\n"
      "                     line, '/' or '\\' as separator; blank lines and lines starting\n"
      "                     with '#' are skipped\n"
      "  --payload OUT.bin  write the payload to this file\n"
      "  --installer FILE   the Setup.exe to copy; it must not be signed yet\n"
      "  --output FILE      the finished installer: a copy of --installer whose payload\n"
      "                     resource (type IDR_EXE, name 130, neutral language) is replaced\n"
      "                     and whose version resource (US English) says what it installs:\n"
      "                     CompanyName and ProductName from the configuration's companyName\n"
      "                     and projectName (by default QVX and --name), FileDescription\n"
      "                     \"<projectName> Setup\", FileVersion and ProductVersion the\n"
      "                     version; their numbers are its leading numbers as far as they fit\n"
      "                     four of 0-65535 (1.6.0003.0000.0035 gives 1.6.3.0, 2.1-beta\n"
      "                     gives 2.1.0.0, the rest 0). Sign the finished installer after\n"
      "                     packing: a signed --installer is refused. The Linux build\n"
      "                     rebuilds the resource section itself as the last section, the\n"
      "                     Windows build uses the system's resource update; both write the\n"
      "                     same resources and a fresh image checksum\n";
  if (win32Build) {
    text +=
        "                     This 32-bit build holds the whole product in memory and makes\n"
        "                     installers of products up to about 550 MiB; a larger one is\n"
        "                     packed by the Linux build\n";
  }
  text +=
      "  --copyright TEXT   LegalCopyright of the finished installer (with --output; by\n"
      "                     default \"Copyright (C) <companyName>\"); the version resource\n"
      "                     also names the file (OriginalFilename, InternalName without\n"
      "                     its extension) and has an empty Comments\n"
      "  --manifests DIR    also write the deployment manifests of the finished installer\n"
      "                     (with --output) into DIR, created when missing: the winget\n"
      "                     manifest (format 1.6.0) <id>.yaml, <id>.installer.yaml and\n"
      "                     <id>.locale.en-US.yaml, the Intune Win32 app <id>.intune.json\n"
      "                     and its detection script <id>.detect.ps1; <id> is the package\n"
      "                     identifier <companyName>.<appName> (QVX.Norvane) without dots,\n"
      "                     white space and the characters winget refuses, each part cut\n"
      "                     to 32 characters. They install with -d into \"C:\\Program Files\n"
      "                     (x86)\" and detect the product by its Uninstall entry\n"
      "                     <appName>_new and DisplayVersion; refused when the package\n"
      "                     writes no Uninstall entry\n"
      "  --installer-url URL  where the finished installer will be published (http or\n"
      "                     https), the winget manifest's InstallerUrl; without it the\n"
      "                     manifest names https://fill-in-the-installer-url.invalid/<file>\n"
      "                     and a warning says to replace it\n"
      "  --license TEXT     the winget manifest's License (default \"Proprietary\")\n"
      "  --strict           fail on a warning (exit 1, nothing written)\n"
      "  --help             show this text\n"
      "\n"
      "Refused, with one line on stderr and a non-zero exit: a path the installer would not\n"
      "write (rooted, a drive letter, '..', a device name like NUL.txt, a name with ':',\n"
      "control or wildcard characters or ending in '.' or ' '), two paths differing only in\n"
      "case (ASCII and code page 1252 letters), one path used as a file and as a folder, a\n"
      "link or other non-regular file, a missing listed file, a NUL byte in the name,\n"
      "version or configuration, a version unfit for a folder name, a product whose archive\n"
      "or compressed stream has more than " +
      std::to_string(kLargestInstallableBytes >> 20) +
      " MiB (the most the 32-bit installer can unpack; the\n"
      "archive's size is checked from the file sizes before anything is read); a\n"
      "configuration whose companyName, appName (alone and followed by the version),\n"
      "exeInfo path or shortCut name, alias or icon breaks the same path rules\n"
      "(companyName and appName one folder name each) or names a character beyond ASCII by\n"
      "reference in one of them, or that the packer cannot read (a UTF-8 byte-order mark\n"
      "included: the installer cannot load it).\n"
      "\n"
      "Warnings (\"packer: warning: ...\" on stderr; the package is written all the same\n"
      "unless --strict): a configuration without a shortCut to the uninstall program\n"
      "unwindle.exe that the package carries (no Uninstall entry will be written: deployment\n"
      "tools cannot detect the product), a version that is not numbers separated by dots\n"
      "(deployment tools cannot compare it as numbers), --manifests without --installer-url\n"
      "(the winget manifest's InstallerUrl must be filled in).\n"
      "\n"
      "Exit codes: 0 done, 1 the payload could not be made or written, 2 bad command line.\n"
      "\n"
      "To link a payload into Setup.exe at build time instead, configure the Win32 build with\n"
      "  cmake --preset win32 -DSETUP_PAYLOAD=/path/to/OUT.bin\n"
      "(the default is Installer/res/EmptyPayload.bin, a product without files); its version\n"
      "resource is made from that payload, with -DSETUP_COPYRIGHT=TEXT as its LegalCopyright.\n";
  return text;
}

}  // namespace packer
