// make_corpus OUTPUT_DIR
// Writes the fuzzer's seed corpus: a few sound payloads and one payload of each malformed kind,
// every one a few hundred bytes at most. The files are committed in fuzz/corpus; run this again
// only when the format or the list of kinds changes.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "package/codec/PayloadFormat.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Archive bytes written field by field, so that any field can lie.
class Raw {
 public:
  Raw& Str(const std::string& text) { return Bytes(text).Byte(0); }
  Raw& Bytes(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  Raw& Byte(uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  Raw& U32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<uint8_t>(value >> shift));
    return *this;
  }
  Raw& Entry(const std::string& path, const std::string& content) {
    return Str(path).U32(static_cast<uint32_t>(content.size())).Bytes(content);
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

const char kConfig[] =
    "<appConfig xmlns=\"urn:qvx:appconfig\"><appInfo><appName>Norvane</appName>"
    "<projectName>Brenmoor</projectName></appInfo></appConfig>";

Raw Leading(uint32_t count) {
  return Raw().Str("Norvane").Str("1.6.0003.0000.0035").Str("").U32(count);
}

Bytes Pack(const Bytes& archive) {
  Bytes payload;
  const std::string reason =
      payload::CompressArchiveBytes(archive.data(), archive.size(), &payload);
  if (!reason.empty()) std::fprintf(stderr, "make_corpus: %s\n", reason.c_str());
  return payload;
}

Bytes Sound() {
  payload::ArchiveWriter writer("Norvane", "1.6.0003.0000.0035", kConfig);
  const std::pair<const char*, std::string> files[] = {
      {"unwindle.exe", "uninstaller"},
      {"BrenmoorEHR\\locales\\am.pak", "am"},
      {"BrenmoorEHR\\empty.dat", ""},
      {"a b\\c.d.e.txt", "blanks and dots"},
      {"caf\xE9.txt", "high ANSI byte"},
      {"Quorvin.exe", "client"},
  };
  for (const auto& [path, content] : files) {
    writer.AddFile(path, reinterpret_cast<const uint8_t*>(content.data()), content.size());
  }
  return writer.Finish();
}

Bytes Edited(Bytes payload, const std::function<void(Bytes*)>& edit) {
  edit(&payload);
  return payload;
}

void PutU32(Bytes* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus OUTPUT_DIR\n");
    return 2;
  }
  const Bytes sound = Sound();
  const Bytes good = Pack(sound);
  const uint32_t archiveSize = static_cast<uint32_t>(sound.size());
  const std::vector<std::pair<std::string, Bytes>> seeds = {
      // Sound payloads.
      {"good-no-files", Pack(Raw().Str("Empty").Str("0.0").Str("").U32(0).bytes())},
      {"good-product", good},
      {"good-config-only", Pack(Raw().Str("N").Str("1").Str(kConfig).U32(0).bytes())},
      // The archive itself, uncompressed, for the direct archive checks.
      {"raw-archive", sound},
      // Broken resources and streams.
      {"bad-shorter-than-header", Bytes(good.begin(), good.begin() + 5)},
      {"bad-stream-cut", Bytes(good.begin(), good.end() - 1)},
      {"bad-first-u32-smaller", Edited(good, [&](Bytes* p) { PutU32(p, 0, archiveSize - 1); })},
      {"bad-first-u32-larger", Edited(good, [&](Bytes* p) { PutU32(p, 0, archiveSize + 1); })},
      {"bad-checksum", Edited(good, [](Bytes* p) { p->back() ^= 1; })},
      {"bad-not-zlib", Edited(good, [](Bytes* p) { (*p)[8] = 0x1F; (*p)[9] = 0x8B; })},
      {"odd-bytes-after-stream", Edited(good, [](Bytes* p) { p->push_back(0xEE); })},
      // Broken archives in sound streams.
      {"arch-empty", Pack({})},
      {"arch-name-without-nul", Pack(Raw().Bytes("Norvane").bytes())},
      {"arch-version-without-nul", Pack(Raw().Str("Norvane").Bytes("1.6").bytes())},
      {"arch-config-without-nul", Pack(Raw().Str("N").Str("1").Bytes("<appConfig/>").bytes())},
      {"arch-count-cut", Pack(Raw().Str("N").Str("1").Str("").Byte(1).Byte(0).bytes())},
      {"arch-count-too-high", Pack(Leading(3).Entry("a", "x").Entry("b", "y").bytes())},
      {"arch-count-too-low", Pack(Leading(1).Entry("a", "x").Entry("b", "y").bytes())},
      {"arch-path-without-nul", Pack(Leading(1).Bytes("unwindle.exe").bytes())},
      {"arch-size-cut", Pack(Leading(1).Str("a").Byte(3).Byte(0).bytes())},
      {"arch-size-too-large", Pack(Leading(1).Str("a").U32(100).Bytes("xyz").bytes())},
      {"arch-size-too-small", Pack(Leading(2).Str("a").U32(1).Bytes("xyz").Entry("b", "").bytes())},
      {"arch-trailing-bytes", Pack(Raw(Leading(1).Entry("a", "x")).Bytes("junk").bytes())},
      {"arch-path-parent", Pack(Leading(1).Entry("a\\..\\..\\b", "x").bytes())},
      {"arch-path-rooted", Pack(Leading(1).Entry("\\\\server\\share\\x", "x").bytes())},
      {"arch-path-drive", Pack(Leading(1).Entry("C:\\x", "x").bytes())},
      {"arch-path-device", Pack(Leading(1).Entry("BrenmoorEHR\\NUL.txt", "x").bytes())},
      {"arch-path-trailing-dot", Pack(Leading(1).Entry("a.", "x").bytes())},
      {"arch-path-empty", Pack(Leading(1).Entry("", "x").bytes())},
      {"arch-bad-version", Pack(Raw().Str("N").Str("1\\..").Str("").U32(0).bytes())},
      {"arch-path-file-and-folder",
       Pack(Leading(2).Entry("Tools\\Helpdesk.exe", "x").Entry("Tools", "y").bytes())},
      {"arch-path-case-twins",
       Pack(Leading(2).Entry("R\xC9SUM\xC9.txt", "x").Entry("r\xE9sum\xE9.TXT", "y").bytes())},
  };
  for (const auto& [name, bytes] : seeds) {
    const std::string path = std::string(argv[1]) + "/" + name + ".bin";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      std::fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
      if (file != nullptr) std::fclose(file);
      return 1;
    }
    std::fclose(file);
  }
  std::printf("make_corpus: %zu seeds written to %s\n", seeds.size(), argv[1]);
  return 0;
}
