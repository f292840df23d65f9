// packer: makes the payload of the installer from a product folder (see --help).
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "DeploymentFacts.h"
#include "FileSystem.h"
#include "FinishedInstaller.h"
#include "InstallerLabel.h"
#include "IntuneApp.h"
#include "ManifestFile.h"
#include "PackStep.h"
#include "PackerOptions.h"
#include "PeSignature.h"
#include "Sha256.h"
#include "WingetManifests.h"

#ifdef _WIN32
#include "PayloadAttach.h"
constexpr bool kWin32Build = true;
#else
constexpr bool kWin32Build = false;
#endif

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kOutOfMemory[] = "not enough memory to pack the product";
constexpr char kOutOfMemoryWin32[] =
    "not enough memory to pack the product in this 32-bit process; the Linux build packs it "
    "into the finished installer (--output) or into a payload file (--payload) that can be "
    "linked into Setup.exe (-DSETUP_PAYLOAD)";

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "packer: %s\n", message.c_str());
  return code;
}

// The finished installer: the Windows build has the system's resource update write it, the
// Linux build rebuilds the resource section itself.
std::string WriteInstaller(const packer::PackerOptions& options,
                           const std::vector<uint8_t>& payload,
                           const std::vector<uint8_t>& versionInfo) {
#ifdef _WIN32
  std::string reason;
  if (!WriteFinishedInstaller(options.installerPath.c_str(), options.outputPath.c_str(), payload,
                              versionInfo, &reason)) {
    return reason;
  }
  return "";
#else
  return packer::WriteFinishedInstallerImage(
      options.installerPath, options.outputPath,
      packer::FinishedInstallerChanges(payload, versionInfo));
#endif
}

// The facts the manifests need before anything is written; "" also without --manifests. Adds the
// warning for a missing --installer-url to |warnings|.
std::string PrepareManifests(const packer::PackerOptions& options, const packer::PackResult& result,
                             packer::DeploymentFacts* facts, std::vector<std::string>* warnings) {
  if (options.manifestsDir.empty()) return "";
  const std::string reason = packer::GatherDeploymentFacts(
      {result.names, options.version, result.uninstallProgram, options.outputPath,
       options.installerUrl, options.license},
      facts);
  if (!reason.empty()) return reason;
  if (options.installerUrl.empty()) {
    warnings->push_back("no --installer-url: the winget installer manifest names " +
                        facts->installerUrl +
                        " as its InstallerUrl; fill in the URL the installer is published at");
  }
  return "";
}

// The manifests of the finished installer just written, named by its SHA-256.
std::string WriteManifests(const packer::PackerOptions& options, packer::DeploymentFacts facts) {
  std::vector<uint8_t> installer;
  std::string reason = packer::ReadWholeFile(options.outputPath, UINT32_MAX, &installer);
  if (!reason.empty()) return "--manifests: " + reason;
  facts.installerSha256 = packer::Sha256Hex(installer);
  std::vector<packer::ManifestFile> files = packer::WingetManifestFiles(facts);
  files.push_back(packer::IntuneAppFile(facts));
  files.push_back(packer::DetectionScriptFile(facts));
  return packer::WriteManifestFiles(options.manifestsDir, files);
}

int Pack(const std::vector<std::string>& args) {
  packer::PackerOptions options;
  std::string reason = packer::ParsePackerOptions(args, &options);
  if (!reason.empty()) return Fail(reason, kExitUsage);
  if (options.help) {
    std::fputs(packer::PackerHelpText(kWin32Build).c_str(), stdout);
    return kExitDone;
  }

  packer::PackRequest request;
  request.productName = options.name;
  request.version = options.version;
  request.configPath = options.configPath;
  request.productDir = options.productDir;
  request.listPath = options.listPath;
  // Whatever can refuse the finished installer does so before anything is written. A signed
  // installer is one: the resource update would break its signature without a word.
  std::vector<uint8_t> versionInfo;
  if (!options.outputPath.empty()) {
    reason = packer::RefuseSignedInstaller(options.installerPath);
    if (reason.empty()) reason = packer::BuildInstallerVersionResource(
          request, {options.outputPath, options.copyright}, &versionInfo);
    if (!reason.empty()) return Fail(reason, kExitFailed);
  }
  packer::PackResult result;
  reason = packer::BuildPayload(request, &result);
  if (!reason.empty()) return Fail(reason, kExitFailed);
  packer::DeploymentFacts facts;
  reason = PrepareManifests(options, result, &facts, &result.warnings);
  if (!reason.empty()) return Fail(reason, kExitFailed);
  for (const std::string& warning : result.warnings) {
    std::fprintf(stderr, "packer: warning: %s\n", warning.c_str());
  }
  if (options.strict && !result.warnings.empty()) {
    return Fail("warnings fail the packing with --strict; nothing was written", kExitFailed);
  }

  if (!options.payloadPath.empty()) {
    reason = packer::WriteWholeFile(options.payloadPath, result.payload);
    if (!reason.empty()) return Fail(reason, kExitFailed);
  }
  if (!options.outputPath.empty()) {
    reason = WriteInstaller(options, result.payload, versionInfo);
    if (!reason.empty()) return Fail(reason, kExitFailed);
  }
  if (!options.manifestsDir.empty()) {
    reason = WriteManifests(options, facts);
    if (!reason.empty()) return Fail(reason, kExitFailed);
  }
  const std::string summary = "packer: " + std::to_string(result.fileCount) + " files, archive " +
                              std::to_string(result.archiveSize) + " bytes, payload " +
                              std::to_string(result.payload.size()) + " bytes\n";
  std::fputs(summary.c_str(), stdout);
  return kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Pack(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    // The product's files, the archive and its compressed stream are held whole; in the 32-bit
    // build they run out of address space long before the installer's own limit.
    return Fail(kWin32Build ? kOutOfMemoryWin32 : kOutOfMemory, kExitFailed);
  }
}
