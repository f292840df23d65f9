// Loading the payload: what a sound package yields, and that every damaged or hostile one is
// refused with a clear message before anything is written.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "engine/Installer.h"
#include "LogReader.h"

namespace {

// Builds archive bytes field by field, so a test can write what the packing tool would refuse.
class RawArchive {
 public:
  RawArchive& Text(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return *this;
  }
  RawArchive& U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  RawArchive& Entry(const std::string& path, const std::string& content) {
    Text(path).U32(static_cast<uint32_t>(content.size()));
    bytes_.insert(bytes_.end(), content.begin(), content.end());
    return *this;
  }
  RawArchive& Bytes(const std::string& raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// Header and zlib stream; the header fields can be made to lie.
std::vector<uint8_t> Payload(const std::vector<uint8_t>& archive, int64_t uncompressedDelta = 0) {
  uLongf length = compressBound(archive.size());
  std::vector<uint8_t> stream(length);
  EXPECT_EQ(Z_OK, compress(stream.data(), &length, archive.data(), archive.size()));
  stream.resize(length);
  std::vector<uint8_t> payload = Le32(static_cast<uint32_t>(archive.size() + uncompressedDelta));
  const std::vector<uint8_t> compressed = Le32(static_cast<uint32_t>(stream.size()));
  payload.insert(payload.end(), compressed.begin(), compressed.end());
  payload.insert(payload.end(), stream.begin(), stream.end());
  return payload;
}

RawArchive SoundArchive() {
  return RawArchive()
      .Text("Norvane")
      .Text("1.6.0003.0000.0035")
      .Text("")
      .U32(2)
      .Entry("Quorvin.exe", "main client")
      .Entry("BrenmoorEHR\\locales\\am.pak", "locale");
}

class PayloadInitTest : public testing::Test {
 protected:
  void SetUp() override { engine_.silent = 1; }  // messages go to the log; no box may block the test
  std::string NewLogText() const { return log_.Text(); }

  CInstaller engine_;
  LogSince log_;
};

TEST_F(PayloadInitTest, SoundPayloadIsUnpackedAndTheCursorStandsOnTheFileCount) {
  const std::vector<uint8_t> archive = SoundArchive().bytes();
  const std::vector<uint8_t> payload = Payload(archive);

  EXPECT_TRUE(engine_.InitFromResource(payload.data(), payload.size(), true));

  EXPECT_EQ("1.6.0003.0000.0035", engine_.version);
  EXPECT_EQ("", engine_.configText);
  ASSERT_NE(nullptr, engine_.payloadBuffer.bytes);
  EXPECT_EQ(archive.size(), engine_.payloadBuffer.size);
  const size_t fileCountOffset = 8 + 19 + 1;  // "Norvane\0" "1.6.0003.0000.0035\0" "\0"
  EXPECT_EQ(engine_.payloadBuffer.bytes.get() + fileCountOffset, engine_.payloadCursor);
  EXPECT_EQ(0, std::memcmp(engine_.payloadCursor, "\x02\0\0\0", 4));
  // An empty configuration leaves every value at its default.
  EXPECT_EQ("Norvane", engine_.projectName);
  EXPECT_EQ("QVX", engine_.companyName);
  EXPECT_EQ("Norvane", engine_.appName);
  EXPECT_EQ("Users|SYSTEM|Administrators", engine_.groupName);
  EXPECT_NE(std::string::npos, NewLogText().find("Payload of Norvane 1.6.0003.0000.0035: 2 files"));
  EXPECT_NE(nullptr, engine_.securityAttributes.lpSecurityDescriptor)
      << "the group rights are prepared";
}

TEST_F(PayloadInitTest, ConfigurationIsReadAndAnUnknownGroupStopsTheRun) {
  const std::string config =
      "<appConfig xmlns=\"urn:qvx:appconfig\"><appInfo><companyName>Acme</companyName>"
      "<projectName>Brenmoor</projectName><groupName>Users|NoSuchGroup</groupName></appInfo>"
      "</appConfig>";
  const std::vector<uint8_t> payload =
      Payload(RawArchive().Text("Norvane").Text("1.0").Text(config).U32(0).bytes());

  EXPECT_FALSE(engine_.InitFromResource(payload.data(), payload.size(), true));

  EXPECT_EQ("Acme", engine_.companyName);
  EXPECT_EQ("Brenmoor", engine_.projectName);
  EXPECT_NE(std::string::npos, NewLogText().find("Enter function ParseXml() with parameter xmlName is " + config));
  EXPECT_NE(std::string::npos, NewLogText().find("SetEntriesInAcl Error! (Error Code: 1332)"));
}

TEST_F(PayloadInitTest, FileCountOfZeroIsSound) {
  const std::vector<uint8_t> payload =
      Payload(RawArchive().Text("P").Text("1").Text("").U32(0).bytes());
  EXPECT_TRUE(engine_.InitFromResource(payload.data(), payload.size(), true));
  EXPECT_EQ("1", engine_.version);
  EXPECT_NE(std::string::npos, NewLogText().find(": 0 files"));
}

struct RefusedCase {
  const char* name;
  std::vector<uint8_t> payload;
  const char* message;  // the text the user (here: the log) is given
};

std::vector<RefusedCase> RefusedCases() {
  const std::vector<uint8_t> sound = SoundArchive().bytes();
  const auto withEntry = [](const std::string& path) {
    return Payload(RawArchive().Text("P").Text("1").Text("").U32(1).Entry(path, "x").bytes());
  };
  std::vector<uint8_t> flipped = Payload(sound);
  flipped[12] ^= 0x55;
  std::vector<uint8_t> truncated = Payload(sound);
  truncated.resize(truncated.size() - 3);
  std::vector<uint8_t> hugeClaim = Payload(sound);
  hugeClaim[0] = hugeClaim[1] = hugeClaim[2] = 0xF0;
  hugeClaim[3] = 0xFF;
  // The hostile header's archive length 0x7fffffff, and one byte more than the largest product.
  std::vector<uint8_t> hostileClaim = Payload(sound);
  hostileClaim[0] = hostileClaim[1] = hostileClaim[2] = 0xFF;
  hostileClaim[3] = 0x7F;
  std::vector<uint8_t> justOverTheLimit = Payload(sound);
  const uint32_t overTheLimit = static_cast<uint32_t>(payload::kLargestInstallableBytes + 1);
  for (int i = 0; i < 4; ++i) justOverTheLimit[i] = static_cast<uint8_t>(overTheLimit >> (8 * i));

  const char* damaged = "The installation package is damaged and was refused: ";
  return {
      {"shorter than its header", {0x01, 0x02, 0x03}, "Uncompress data failed!"},
      {"stream truncated", truncated, "Uncompress data failed!"},
      {"bit flipped in the stream", flipped, "Uncompress data failed!"},
      {"uncompressed size too small", Payload(sound, -1), "Uncompress data failed!"},
      {"uncompressed size too large", Payload(sound, +1), "Uncompress data failed!"},
      {"uncompressed size 0xFFF0F0F0", hugeClaim,
       "damaged and was refused: its header declares an archive of 4293980400 bytes, more than "
       "the 1824522240 bytes of the largest product the installer can unpack."},
      {"uncompressed size 0x7fffffff", hostileClaim,
       "damaged and was refused: its header declares an archive of 2147483647 bytes, more than "
       "the 1824522240 bytes of the largest product the installer can unpack."},
      {"uncompressed size one byte over the largest product", justOverTheLimit,
       "damaged and was refused: its header declares an archive of 1824522241 bytes"},
      {"count larger than the entries",
       Payload(RawArchive().Text("P").Text("1").Text("").U32(3).Entry("a", "x").bytes()), damaged},
      {"bytes after the last entry",
       Payload(RawArchive().Text("P").Text("1").Text("").U32(1).Entry("a", "x").Bytes("!").bytes()),
       damaged},
      {"size past the end",
       Payload(RawArchive().Text("P").Text("1").Text("").U32(1).Text("a").U32(99).Bytes("x").bytes()),
       damaged},
      {"configuration without its NUL", Payload(RawArchive().Text("P").Text("1").Bytes("<a/>").bytes()),
       damaged},
      {"parent folder", withEntry("a\\..\\..\\b"), damaged},
      {"rooted path", withEntry("\\Windows\\x.dll"), damaged},
      {"drive letter", withEntry("C:\\Windows\\x.dll"), damaged},
      {"UNC path", withEntry("\\\\server\\share\\x"), damaged},
      {"stream name", withEntry("a.txt:hidden"), damaged},
      {"forward slash", withEntry("a/../b"), damaged},
      {"device name", withEntry("dir\\NUL.txt"), damaged},
      {"control character", withEntry("a\x01.txt"), damaged},
      {"empty path", withEntry(""), damaged},
      {"file and folder of one name",
       Payload(RawArchive().Text("P").Text("1").Text("").U32(2).Entry("Tools\\Helpdesk.exe", "x")
                   .Entry("Tools", "y").bytes()),
       "damaged and was refused: Entry 0 (\"Tools\\Helpdesk.exe\") and entry 1 (\"Tools\") use "
       "\"Tools\" both as a file and as a folder."},
      {"one file in two cases",
       Payload(RawArchive().Text("P").Text("1").Text("").U32(2).Entry("R\xC9SUM\xC9.txt", "x")
                   .Entry("r\xE9sum\xE9.TXT", "y").bytes()),
       "name the same file (names are compared without regard to case)."},
  };
}

TEST_F(PayloadInitTest, DamagedPayloadsAreRefusedAndReleased) {
  for (const RefusedCase& c : RefusedCases()) {
    CInstaller engine;
    engine.silent = 1;
    const LogSince log;

    EXPECT_FALSE(engine.InitFromResource(c.payload.data(), c.payload.size(), true)) << c.name;

    EXPECT_EQ(nullptr, engine.payloadBuffer.bytes) << c.name;
    EXPECT_EQ(nullptr, engine.payloadCursor) << c.name;
    EXPECT_EQ("", engine.version) << c.name << ": nothing of a refused package is used";
    EXPECT_TRUE(log.Has(c.message)) << c.name << "\nlog:\n" << log.Text();
    EXPECT_FALSE(log.Has("Not enough memory")) << c.name << "\nlog:\n" << log.Text();
  }
}

// Every refused package ends with a failure sentence that names something: the product name of
// the archive when it can still be read, else the installer's own name.
TEST_F(PayloadInitTest, TheFailureSentenceOfARefusedPackageNamesTheProductOrTheInstaller) {
  const struct {
    const char* name;
    std::vector<uint8_t> payload;
    const char* sentence;
  } kCases[] = {
      {"an archive whose count is too large",
       Payload(RawArchive().Text("Norvane").Text("1").Text("").U32(3).Entry("a", "x").bytes()),
       "Installation of Norvane has failed."},
      {"an unsafe entry path",
       Payload(RawArchive().Text("Tallyset").Text("1").Text("").U32(1).Entry("..\\x", "x").bytes()),
       "Installation of Tallyset has failed."},
      {"a stream that does not decompress", {0x10, 0, 0, 0, 2, 0, 0, 0, 0x78, 0x9C},
       "Installation of installer_tests has failed."},
      {"shorter than its header", {0x01, 0x02, 0x03}, "Installation of installer_tests has failed."},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    engine.silent = 1;
    const LogSince log;

    ASSERT_FALSE(engine.InitFromResource(c.payload.data(), c.payload.size(), true)) << c.name;
    engine.ReportFailure();

    EXPECT_TRUE(log.Has(std::string(c.sentence) + "\r\n")) << c.name << "\nlog:\n" << log.Text();
    EXPECT_FALSE(log.Has("Installation of  has failed.")) << c.name;
  }
}

// A payload of the sound archive's files whose configuration holds |appInfo| and |entries|.
std::vector<uint8_t> WithConfig(const std::string& appInfo, const std::string& entries,
                                const std::string& version = "1.0") {
  const std::string config = "<appConfig xmlns=\"urn:qvx:appconfig\"><appInfo>" + appInfo +
                             "<projectName>Brenmoor</projectName></appInfo>" + entries +
                             "</appConfig>";
  return Payload(RawArchive().Text("Norvane").Text(version).Text(config).U32(1)
                     .Entry("Quorvin.exe", "main client").bytes());
}

TEST_F(PayloadInitTest, ConfigurationNamesThatLeaveTheTargetAreRefused) {
  const struct {
    const char* name;
    std::vector<uint8_t> payload;
    const char* reason;  // what follows "The installation package is damaged and was refused: "
  } kCases[] = {
      {"appName climbing out", WithConfig("<appName>..\\..\\Esc</appName>", ""),
       "the configuration's appName \"..\\..\\Esc\" must be a single folder name (it contains "
       "a backslash)."},
      {"companyName climbing out", WithConfig("<companyName>..\\..\\EscCo</companyName>", ""),
       "the configuration's companyName \"..\\..\\EscCo\" must be a single folder name"},
      {"alias of many parents",
       WithConfig("", "<shortCut><name>Quorvin.exe</name><alias>..\\..\\..\\..\\..\\..\\..\\"
                      "escaped</alias></shortCut>"),
       "the configuration's shortCut alias \"..\\..\\..\\..\\..\\..\\..\\escaped\" cannot "
       "be part of a path: the component \"..\" refers to the current or the parent folder."},
      {"alias hidden in character references",
       WithConfig("", "<shortCut><alias>&#46;&#46;\\x</alias></shortCut>"),
       "the configuration's shortCut alias \"..\\x\" cannot be part of a path"},
      {"absolute exeInfo path",
       WithConfig("", "<exeInfo><name>cmd.exe</name><path>C:\\Windows\\</path></exeInfo>"),
       "the configuration's exeInfo path \"C:\\Windows\\\" cannot be part of a path: the path "
       "starts with a drive letter."},
      {"shortCut name climbing",
       WithConfig("", "<shortCut><name>..\\..\\cmd.exe</name><alias>a</alias></shortCut>"),
       "the configuration's shortCut name \"..\\..\\cmd.exe\" cannot be part of a path"},
      {"shortCut icon on a share",
       WithConfig("", "<shortCut><alias>a</alias><icon>\\\\srv\\x.ico</icon></shortCut>"),
       "the configuration's shortCut icon \"\\\\srv\\x.ico\" cannot be part of a path: the "
       "path is rooted"},
      {"appName and version make a device", WithConfig("<appName>LPT</appName>", "", "1.0"),
       "the configuration's appName \"LPT\" followed by the version \"1.0\" cannot name the "
       "version folder \"LPT1.0\": the component \"LPT1.0\" is a reserved device name."},
  };
  for (const auto& c : kCases) {
    CInstaller engine;
    engine.silent = 1;
    const LogSince log;

    EXPECT_FALSE(engine.InitFromResource(c.payload.data(), c.payload.size(), true)) << c.name;

    EXPECT_EQ(nullptr, engine.payloadBuffer.bytes) << c.name;
    EXPECT_TRUE(log.Has(std::string("The installation package is damaged and was refused: ") +
                        c.reason))
        << c.name << "\nlog:\n" << log.Text();
    EXPECT_EQ(nullptr, engine.securityAttributes.lpSecurityDescriptor)
        << c.name << ": refused before the group rights are prepared";
  }
}

TEST_F(PayloadInitTest, ConfigurationNamesProductsUseAreAccepted) {
  const std::vector<uint8_t> payload = WithConfig(
      "<companyName>QVX</companyName><appName>Tallyset Admin</appName>",
      "<exeInfo><name>unwindle.exe</name><path>root</path></exeInfo>"
      "<exeInfo><name>Webvane.exe</name><path>BrenmoorEHR\\</path></exeInfo>"
      "<shortCut><name>Quorvin.exe</name><alias>Tools\\Brenmoor</alias><icon>4</icon></shortCut>"
      "<shortCut><name>unwindle.exe</name><alias>Uninstall</alias><icon></icon></shortCut>");

  EXPECT_TRUE(engine_.InitFromResource(payload.data(), payload.size(), true)) << NewLogText();

  EXPECT_EQ("Tallyset Admin", engine_.appName);
  EXPECT_EQ("BrenmoorEHR\\", engine_.exePaths["webvane.exe"]);
  ASSERT_EQ(2u, engine_.shortcuts.size());
  EXPECT_EQ("Tools\\Brenmoor", engine_.shortcuts[0].alias);
}

TEST_F(PayloadInitTest, ReleasePayloadTwiceIsHarmless) {
  const std::vector<uint8_t> payload = Payload(SoundArchive().bytes());
  engine_.InitFromResource(payload.data(), payload.size(), true);
  engine_.ReleasePayload();
  engine_.ReleasePayload();
  EXPECT_EQ(nullptr, engine_.payloadBuffer.bytes);
}

}  // namespace
