#include "startup/HelpText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HelpTextTest, IsTheOptionSummaryByteForByte) {
  // One line per option; the trailing blanks of some lines belong to the text.
  const std::string want = std::string() +
                           "-cCampus.\n"
                           "-hHostlist.\n"
                           "-pPortList.\n"
                           "-aAutoUpdateList.\n"
                           "-dTargetDir.\n"
                           "-lLoglocation.  \n"
                           "-wNeedSilentUninstall. \n"
                           "-u  InvokedByAutoUpdate=TRUE  \n"
                           "-v VistA is Enabled.\n"
                           "-t NeedCreateShortcutOnDesktop\n"
                           "-bWebHostList.\n"
                           "-r  NeedInstallUVNC.";
  EXPECT_EQ(std::string(HelpText()), want);
}

}  // namespace
