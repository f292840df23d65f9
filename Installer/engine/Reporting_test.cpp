// The outcome sentences of an unattended run, and that reporting releases the payload.
#include <gtest/gtest.h>

#include "engine/Installer.h"
#include "LogReader.h"

namespace {

TEST(ReportingTest, OutcomeSentencesGoToTheLogInAnUnattendedRun) {
  struct Case {
    const char* name;
    const char* projectName;
    bool success;
    const char* line;
  } cases[] = {
      {"success", "Brenmoor", true, "Installation of Brenmoor has completed successfully.\r\n"},
      {"failure", "Brenmoor", false, "Installation of Brenmoor has failed.\r\n"},
      // Before the configuration is read, the installer's own file name stands for the product.
      {"failure before the configuration", "", false,
       "Installation of installer_tests has failed.\r\n"},
  };
  for (const Case& c : cases) {
    CInstaller engine;
    engine.silent = 1;
    engine.projectName = c.projectName;
    engine.payloadBuffer.bytes.reset(new uint8_t[4]);
    engine.payloadBuffer.size = 4;
    const LogSince log;

    c.success ? engine.ReportSuccess() : engine.ReportFailure();

    const std::string text = log.Text();
    ASSERT_GE(text.size(), 20u) << c.name;
    EXPECT_EQ(c.line, text.substr(20)) << c.name;  // after the 20-character time stamp
    EXPECT_EQ(nullptr, engine.payloadBuffer.bytes) << c.name << ": the payload is released";
  }
}

TEST(ReportingTest, StepNotBuiltIsNamedInTheLog) {
  CInstaller engine;
  const LogSince log;
  EXPECT_FALSE(engine.ReportStepNotBuilt("PrepareInstall()"));
  EXPECT_TRUE(log.Has("Step PrepareInstall() is not part of this build."));
}

}  // namespace
