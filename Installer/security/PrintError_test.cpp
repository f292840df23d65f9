#include "security/PrintError.h"

#include <gtest/gtest.h>

#include "LogReader.h"

#include "security/CapturedStdout.h"

namespace {

TEST(PrintErrorTest, PrintsToTheOutputStreamAndLogsTheSameLine) {
  struct Case {
    const char* name;
    const char* format;
    int code;
    const char* printed;
    const char* logged;  // after the 20-character time stamp
  } cases[] = {
      {"message ending in a newline", "GetAce() failed. Error %d\n", 87,
       "GetAce() failed. Error 87\n", "GetAce() failed. Error 87\r\n"},
      {"message ending in a blank", "SetFileSecurity() failed. Error %d ", 5,
       "SetFileSecurity() failed. Error 5 ", "SetFileSecurity() failed. Error 5\r\n"},
      {"message without an end", "InitializeAcl() failed. Error %d", 1332,
       "InitializeAcl() failed. Error 1332", "InitializeAcl() failed. Error 1332\r\n"},
  };
  for (const Case& c : cases) {
    const LogSince log = LogSince(c.name);
    CapturedStdout output;
    ASSERT_TRUE(output.active()) << c.name;

    PrintError(c.format, c.code);

    EXPECT_EQ(c.printed, output.Stop()) << c.name;
    const std::string text = log.Text();
    ASSERT_GE(text.size(), 20u) << c.name;
    EXPECT_EQ(c.logged, text.substr(20)) << c.name;
  }
}

}  // namespace
