// Placing the payload's files: the AppInfo.xml seed files, then every archive entry in archive
// order, each written straight from the decompressed archive, with the shared programs copied one
// level up and the progress reported to the progress dialog.
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/Installer.h"
#include "package/ExtractionProgress.h"
#include "package/ExtractionRules.h"
#include "package/PayloadResource.h"
#include "rollback/RunChanges.h"
#include "support/CallFailure.h"
#include "support/Log.h"
#include "support/PathHelpers.h"
#include "support/UniqueHandle.h"
#include "xml/AppInfoSeedText.h"

namespace {

constexpr char kFilesStep[] = "Files()";
constexpr char kCreateDirOfFileStep[] = "CreateDirOfFile()";
constexpr char kSeedName[] = "AppInfo.xml";

// The offset of |cursor| in |archive|; false when there is no archive or the cursor lies outside.
bool CursorOffset(const payload::ArchiveBuffer& archive, const uint8_t* cursor, size_t* offset) {
  const uint8_t* start = archive.bytes.get();
  if (!start || !cursor || cursor < start || cursor > start + archive.size) return false;
  *offset = static_cast<size_t>(cursor - start);
  return true;
}

std::string DamagedArchiveText(size_t offset) {
  return "The installation package is damaged: its file list ends early (at byte " +
         std::to_string(offset) + "). No further file is written.";
}

// The most one write hands to the system. Large writes make the file cache take the data in
// large blocks of fresh memory, which can cost far more than the copy itself: 237 MB written in
// 4 MiB or 1 MiB pieces were measured at 0.6 s, in 256 KiB pieces at 0.065 s, on the same
// machine at the same moment. The pieces still come straight from the archive buffer.
constexpr DWORD kWritePiece = 256 * 1024;

// Writes |total| bytes from |data| to |file| in pieces of at most kWritePiece; |offset| tells how
// far it got. Answers ERROR_SUCCESS or the code of the failed write.
DWORD WriteAll(HANDLE file, const uint8_t* data, uint64_t total, uint64_t* offset) {
  *offset = 0;
  while (*offset < total) {
    const uint64_t left = total - *offset;
    const DWORD chunk = left > kWritePiece ? kWritePiece : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, data + *offset, chunk, &written, nullptr)) return GetLastError();
    // A write that succeeds without progress would repeat forever.
    if (written == 0) return ERROR_WRITE_FAULT;
    *offset += written;
  }
  return ERROR_SUCCESS;
}

std::string WriteFailureText(const std::string& fullName, uint64_t offset) {
  return "Failed to write file " + fullName + " at offset: " + std::to_string(offset) + ".";
}

extraction::InstallFolders FoldersOf(CInstaller& engine) {
  return {engine.installRoot, engine.installRoot + engine.appName + "\\",
          engine.GetVersionFolder()};
}

// Writes the configuration text as the AppInfo.xml seed files and answers the one written last,
// or "" when one could not be written (reported by CreateDirOfFile). The seeds are documents in
// their own right, read by XML readers that know nothing of the ANSI code page the configuration
// was written in.
std::string WriteSeedFiles(CInstaller& engine, const std::string& baseFolder) {
  const std::string seedText = AppInfoSeedText(engine.configText, CP_ACP);
  const auto* text = reinterpret_cast<const uint8_t*>(seedText.data());
  const auto size = static_cast<uint32_t>(seedText.size());
  std::vector<std::string> seeds;
  if (extraction::IsHelperOnly(engine.justHelper)) {
    seeds.push_back(baseFolder + kSeedName);
  } else {
    // A run started by the automatic update leaves the base folder's seed as it is.
    if (!engine.invokedByAutoUpdate) seeds.push_back(baseFolder + kSeedName);
    seeds.push_back(engine.GetVersionFolder() + kSeedName);
  }
  for (const std::string& seed : seeds) {
    if (!engine.CreateDirOfFile(seed, text, 1, size)) return {};
  }
  return seeds.back();
}

// Before the run touches |fullName|: records it with the run's bookkeeping, which moves an
// existing file aside (or copies a read-only one, which the delete below then refuses as it
// always has). False, with the failure logged, when the file cannot be set aside: another
// program holds it open without delete sharing, say; it is left as it was.
bool PrepareTargetFile(CInstaller& engine, const std::string& fullName) {
  DWORD error = ERROR_SUCCESS;
  return !engine.runChanges || engine.runChanges->Journal().PrepareFileReplace(fullName, &error);
}

// Creates |fullName| afresh for writing with the engine's security attributes; a file that is
// there is deleted first (a failed delete is reported and the create still tried). No handle,
// with the failure logged, when the create fails; the caller reports that.
UniqueHandle CreateTargetFile(CInstaller& engine, const std::string& fullName) {
  if (!PrepareTargetFile(engine, fullName)) return UniqueHandle();
  // Most names are new: creating only a file that does not exist yet answers the existence
  // question and creates it in one call, where asking first made the system search the folder
  // for the name twice. Any refusal (the name exists, or something else) takes the full way:
  // an existing file is deleted first, then created afresh.
  UniqueHandle file(CreateFileA(fullName.c_str(), GENERIC_ALL, 0, &engine.securityAttributes,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return file;

  if (PathFileExistsA(fullName.c_str()) && !DeleteFileA(fullName.c_str())) {
    LogCallFailure("DeleteFileA", fullName, GetLastError());
    engine.ReportMessage("Delete file " + fullName + " failed.");
  }
  file.reset(CreateFileA(fullName.c_str(), GENERIC_ALL, 0, &engine.securityAttributes,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) LogCallFailure("CreateFileA", fullName, GetLastError());
  return file;
}

// Creates the folder |folder| on the way to a file, unless this run has made or found it before:
// through the run's bookkeeping when it records (it knows its folders), else through |known|. A
// folder that cannot be made is left to the file's create to report.
void MakeFolderOnTheWay(CInstaller& engine, KnownFolders& known, const std::string& folder) {
  if (!engine.runChanges) {
    known.Make(folder, &engine.securityAttributes);
    return;
  }
  DWORD error = ERROR_SUCCESS;
  engine.runChanges->Journal().CreateFolder(folder, &engine.securityAttributes, &error);
}

}  // namespace

bool CInstaller::Files(ProgressContext* progress) {
  theLog.EnterFunction(kFilesStep, nullptr);
  // The archive itself was decompressed at start-up; the resource must still be there all the same.
  if (!LoadPayloadResource(PayloadResourceModule(), &resourceHandle, &resourceData,
                           &resourceBytes)) {
    ReportMessage("Load resource failed!");
    return false;
  }
  size_t offset = 0;
  if (!CursorOffset(payloadBuffer, payloadCursor, &offset)) {
    ReportMessage("The installation package is no longer loaded; no file can be written.");
    return false;
  }
  payload::ArchiveReader reader(payloadBuffer.bytes.get(), payloadBuffer.size, offset);
  if (!reader.ReadU32(&fileCount)) {
    ReportMessage(DamagedArchiveText(offset));
    return false;
  }
  payloadCursor = payloadBuffer.bytes.get() + reader.offset();

  const std::string baseFolder = extraction::BaseFolder(installRoot, appName);
  const std::string lastSeed = WriteSeedFiles(*this, baseFolder);
  if (lastSeed.empty()) return false;
  if (!UpdateAppInfo(baseFolder, lastSeed)) return false;

  ExtractionProgress report(progress, fileCount);
  for (uint32_t i = 0; i < fileCount; ++i) {
    report.BeforeEntry(i, fileCount);
    // Cancel stops between two entries, never inside a file. The user asked for it, so the log
    // says so and no box is shown.
    if (report.StopRequested()) {
      char line[100];
      std::snprintf(line, sizeof(line),
                    "Extraction stopped at the dialog's request after %u of %u files.", i,
                    fileCount);
      theLog.Write(line);
      return false;
    }
    if (!ExtractNextFile()) return false;
  }
  report.Finished(fileCount);
  theLog.LeaveFunction(kFilesStep);
  return true;
}

bool CInstaller::ExtractNextFile() {
  // Every read goes through the bounds-checked reader, so an archive that lies about its sizes
  // never makes the installer read past the decompressed bytes.
  size_t offset = 0;
  payload::ArchiveEntry entry;
  if (!CursorOffset(payloadBuffer, payloadCursor, &offset)) {
    ReportMessage("The installation package is no longer loaded; no file can be written.");
    return false;
  }
  payload::ArchiveReader reader(payloadBuffer.bytes.get(), payloadBuffer.size, offset);
  if (!payload::ReadEntry(reader, &entry)) {
    ReportMessage(DamagedArchiveText(offset));
    return false;
  }
  const std::string relativePath(entry.path);
  const std::string fileName = extraction::EntryFileName(relativePath);

  std::string targetFolder = GetVersionFolder();
  const auto listed = exePaths.find(fileName);
  if (listed != exePaths.end()) {
    targetFolder = extraction::TargetFolderForPathWord(listed->second, FoldersOf(*this));
    // The shortcuts and the path record need the folder the program now lives in.
    listed->second = extraction::ProgramFolder(targetFolder, relativePath);
  }
  const std::string fullName = targetFolder + relativePath;
  // A failed write leaves the cursor on the entry's size field.
  payloadCursor += relativePath.size() + 1;

  const bool entryWritten =
      !extraction::IsHelperOnly(justHelper) || extraction::HelperWritesEntry(fullName);
  if (entryWritten && !CreateDirOfFile(fullName, entry.content, 1, entry.size)) return false;

  const std::string copyName = extraction::BaseFolder(installRoot, appName) + fileName;
  // An entry just written where its copy goes (the uninstall program's "root" is the base folder)
  // is its own copy: it is neither written nor counted a second time. A helper-only install, which
  // leaves the entry out, still makes the copy.
  const bool entryIsItsCopy = entryWritten && lstrcmpiA(copyName.c_str(), fullName.c_str()) == 0;
  if (extraction::IsSharedProgram(fileName) && !entryIsItsCopy) {
    // The copy one level up is what the other products of the company start. The main client
    // copy is always refreshed; the others are only created, so that a running update program is
    // never replaced.
    const bool existed = PathFileExistsA(copyName.c_str()) != FALSE;
    const bool written = (extraction::IsMainClient(fileName) || !existed) &&
                         CreateDirOfFile(copyName, entry.content, 1, entry.size);
    // A copy that cannot be refreshed still works; a missing one would break the products.
    if (!written && !existed) return false;
    if (!written && extraction::IsMainClient(fileName)) leftAtOlderState.push_back(copyName);
    // The product's size is the package's, whatever this run found in place of the copy: the
    // Uninstall entry's estimate is the same after a first installation and a reinstallation.
    if (!written) placedBytes += entry.size;
  }
  payloadCursor = payloadBuffer.bytes.get() + reader.offset();
  return true;
}

bool CInstaller::CreateDirOfFile(const std::string& fullName, const uint8_t* data,
                                 uint32_t elementSize, uint32_t count) {
  theLog.EnterFunction(kCreateDirOfFileStep, ("fullName is " + fullName).c_str());
  // The ANSI file functions take at most MAX_PATH - 1 characters: say so plainly instead of
  // letting the create fail with a message about a running program.
  if (fullName.size() >= MAX_PATH) {
    ReportMessage("Cannot create file " + fullName + ": the path is " +
                  std::to_string(fullName.size()) +
                  " characters long, more than the 259 Windows allows. Choose a shorter "
                  "destination folder.");
    return false;
  }

  // Every folder on the way, top down, each created once per run; the drive and folders that
  // exist fail here harmlessly. The groups get their rights on each folder at or below the
  // company folder once per run: the grants are inherited, so the files below need none of their
  // own.
  std::string companyFolder = installRoot;
  if (!companyFolder.empty() && companyFolder.back() == '\\') companyFolder.pop_back();
  for (size_t separator : SeparatorPositions(fullName.c_str(), CP_ACP)) {
    const std::string prefix = fullName.substr(0, separator);
    MakeFolderOnTheWay(*this, madeFolders, prefix);
    if (!companyFolder.empty() && prefix.find(companyFolder) != std::string::npos &&
        extraction::AddFolderOnce(&groupRightsFolders, prefix)) {
      SetGroupRights(prefix, groupName);
    }
  }

  UniqueHandle file = CreateTargetFile(*this, fullName);
  if (!file) {
    ReportMessage("Cannot create file " + fullName + ". If any QVX program (i.e." + appName +
                  ") is running, please quit it first.");
    return false;
  }

  uint64_t offset = 0;
  const DWORD writeError =
      WriteAll(file.get(), data, static_cast<uint64_t>(elementSize) * count, &offset);
  file.reset();
  if (writeError != ERROR_SUCCESS) {
    LogCallFailure("WriteFile", fullName, writeError);
    // A half-written program must not look installed: the file goes before the report.
    if (!DeleteFileA(fullName.c_str())) LogCallFailure("DeleteFileA", fullName, GetLastError());
    ReportMessage(WriteFailureText(fullName, offset));
    return false;
  }
  placedBytes += offset;
  theLog.LeaveFunction(kCreateDirOfFileStep);
  return true;
}
