#include "package/codec/ArchiveWriter.h"

#include <utility>

#include "package/codec/EntryPath.h"

namespace payload {
namespace {

constexpr uint64_t kMaxU32 = 0xFFFFFFFFu;

void AppendU32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendString(std::vector<uint8_t>* out, const std::string& text) {
  out->insert(out->end(), text.begin(), text.end());
  out->push_back(0);
}

}  // namespace

ArchiveWriter::ArchiveWriter(std::string productName, std::string version, std::string configText)
    : productName_(std::move(productName)),
      version_(std::move(version)),
      configText_(std::move(configText)) {}

uint64_t ArchiveWriter::archiveSize() const {
  return uint64_t{productName_.size()} + 1 + version_.size() + 1 + configText_.size() + 1 + 4 +
         entries_.size();
}

std::string ArchiveWriter::AddFile(const std::string& relativePath, const uint8_t* content,
                                   size_t size) {
  const std::string pathFault = CheckEntryPath(relativePath);
  if (!pathFault.empty()) return pathFault;
  if (uint64_t{size} > kMaxU32) {
    return "the file has " + std::to_string(size) +
           " bytes, more than the 4 GiB - 1 an entry holds";
  }
  if (fileCount_ == kMaxU32) return "the archive already holds the most files a count can name";
  const uint64_t entrySize = uint64_t{relativePath.size()} + 1 + 4 + size;
  if (archiveSize() + entrySize > kMaxU32) {
    return "the archive would grow past 4 GiB - 1 bytes with this file";
  }
  AppendString(&entries_, relativePath);
  AppendU32(&entries_, static_cast<uint32_t>(size));
  if (size != 0) entries_.insert(entries_.end(), content, content + size);
  ++fileCount_;
  return "";
}

std::string ArchiveWriter::Problem() const {
  const std::pair<const char*, const std::string*> strings[] = {
      {"product name", &productName_},
      {"version", &version_},
      {"configuration text", &configText_}};
  for (const auto& [what, text] : strings) {
    if (text->find('\0') != std::string::npos) {
      return std::string("the ") + what + " contains a NUL byte";
    }
  }
  return CheckVersionText(version_);
}

std::vector<uint8_t> ArchiveWriter::Finish() const {
  std::vector<uint8_t> archive;
  archive.reserve(static_cast<size_t>(archiveSize()));
  AppendString(&archive, productName_);
  AppendString(&archive, version_);
  AppendString(&archive, configText_);
  AppendU32(&archive, fileCount_);
  archive.insert(archive.end(), entries_.begin(), entries_.end());
  return archive;
}

}  // namespace payload
