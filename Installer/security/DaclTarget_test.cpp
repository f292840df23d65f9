// The reads and writes of one file's or folder's descriptor through one handle, and the path
// calls it falls back to.
#include "security/DaclTarget.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "security/CapturedStdout.h"
#include "security/SddlTestTools.h"
#include "support/ScopedTempDir.h"
#include "support/UniqueHandle.h"

namespace {

// What GetFileSecurityA answers for |path|'s DACL, as SDDL; "" when it cannot be read.
std::string DaclByPath(const std::string& path) {
  DWORD needed = 0;
  GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed == 0) return "";
  std::string buffer(needed, '\0');
  if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &buffer[0], needed, &needed)) {
    return "";
  }
  return DaclSddl(&buffer[0]);
}

// An absolute descriptor whose DACL is |sddl|'s, as the grant and the reset hand to Write.
struct SddlEdit {
  explicit SddlEdit(const char* sddl) : source(DescriptorFromSddl(sddl)) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    InitializeSecurityDescriptor(&edited.descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (source && GetSecurityDescriptorDacl(source.get(), &present, &acl, &defaulted)) {
      SetSecurityDescriptorDacl(&edited.descriptor, present, acl, FALSE);
    }
  }
  LocalBlock<void> source;  // owns the ACL the edited descriptor points into
  EditedDescriptor edited;
};

// Forty entries: more than the handle's first read holds, so the read asks for the size again.
std::string LongDacl() {
  std::string sddl = "D:";
  for (int i = 0; i < 40; ++i) {
    sddl += "(A;OICI;FA;;;S-1-5-21-1004336348-1177238915-682003330-" + std::to_string(2000 + i) +
            ")";
  }
  return sddl;
}

TEST(DaclTargetTest, ExistingFileAndFolderAreReadThroughOneHandleAsThePathCallReadsThem) {
  ScopedTempDir folder;
  const std::string file = folder.Child("AppInfo.xml");
  std::ofstream(file) << "<appInfo/>";
  for (const std::string& path : {file, folder.path()}) {
    CapturedStdout output;
    DaclTarget target(path.c_str());
    const HeapBlock<void> descriptor = target.Read();
    EXPECT_EQ("", output.Stop()) << path;
    EXPECT_TRUE(target.HasHandle()) << path;
    ASSERT_NE(nullptr, descriptor) << path;
    EXPECT_EQ(DaclByPath(path), DaclSddl(descriptor.get())) << path;
  }
}

TEST(DaclTargetTest, WritesAreReadBackThroughTheSameHandle) {
  // The files here keep no descriptor of their own (the platform under test answers one made up
  // from the file's mode), so the round trip goes through a named pipe, whose descriptor is kept
  // as written. The target opens it by name as it opens a folder.
  const std::string name =
      "\\\\.\\pipe\\DaclTargetTest-" + std::to_string(GetCurrentProcessId());
  const std::string longDacl = LongDacl();
  const struct Case {
    const char* name;
    std::string dacl;
  } cases[] = {
      {"a grant's DACL", "D:(A;OICI;GA;;;BU)(A;OICI;GA;;;SY)(A;;FA;;;WD)"},
      {"a DACL larger than the first read", longDacl + "(A;;FA;;;WD)"},
  };
  for (const Case& c : cases) {
    // Every open takes one listening instance of the pipe.
    UniqueHandle pipe(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                       PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr));
    ASSERT_TRUE(pipe) << c.name;
    DaclTarget target(name.c_str());
    ASSERT_TRUE(target.HasHandle()) << c.name;
    SddlEdit edit(c.dacl.c_str());
    ASSERT_NE(nullptr, edit.source) << c.name;
    CapturedStdout output;

    EXPECT_EQ(1, target.Write(&edit.edited)) << c.name;
    const HeapBlock<void> readBack = target.Read();

    EXPECT_EQ("", output.Stop()) << c.name;
    ASSERT_NE(nullptr, readBack) << c.name;
    EXPECT_EQ(c.dacl, DaclSddl(readBack.get())) << c.name;
  }
}

TEST(DaclTargetTest, MissingPathFallsBackToThePathCallsAndTheirMessages) {
  ScopedTempDir folder;
  const struct Case {
    const char* name;
    std::string path;
    const char* printed;
  } cases[] = {
      {"missing file", folder.Child("absent.txt"),
       "GetFileSecurity() failed. Error 2\nSetFileSecurity() failed. Error 2 "},
      {"missing folder", folder.Child("absent\\file.txt"),
       "GetFileSecurity() failed. Error 3\nSetFileSecurity() failed. Error 3 "},
  };
  for (const Case& c : cases) {
    SddlEdit edit("D:(A;OICI;GA;;;BU)");
    CapturedStdout output;
    DaclTarget target(c.path.c_str());

    const HeapBlock<void> descriptor = target.Read();
    const int written = target.Write(&edit.edited);

    EXPECT_EQ(c.printed, output.Stop()) << c.name;
    EXPECT_FALSE(target.HasHandle()) << c.name;
    EXPECT_EQ(nullptr, descriptor) << c.name;
    EXPECT_EQ(0, written) << c.name;
  }
}

}  // namespace
