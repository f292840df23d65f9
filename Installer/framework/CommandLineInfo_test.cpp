#include "framework/CommandLineInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
  std::string param;
  bool isFlag;
  bool isLast;
  bool operator==(const Call& other) const {
    return param == other.param && isFlag == other.isFlag && isLast == other.isLast;
  }
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << "{\"" << call.param << "\", flag " << call.isFlag << ", last " << call.isLast
             << "}";
}

class RecordingInfo : public CCommandLineInfo {
 public:
  void ParseParam(const char* param, bool isFlag, bool isLast) override {
    calls.push_back({param, isFlag, isLast});
  }
  std::vector<Call> calls;
};

std::vector<Call> Walk(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  RecordingInfo info;
  WalkCommandLine(info, static_cast<int>(argv.size()), argv.data());
  return info.calls;
}

TEST(WalkCommandLineTest, HandsEachArgumentOnWithItsFlagMarkStripped) {
  struct Case {
    const char* name;
    std::vector<std::string> argv;
    std::vector<Call> want;
  };
  const Case kCases[] = {
      {"program only", {"Setup.exe"}, {}},
      {"dash and slash strip one character",
       {"Setup.exe", "-dC:\\Apps", "/t", "plain"},
       {{"dC:\\Apps", true, false}, {"t", true, false}, {"plain", false, true}}},
      {"only the first dash is stripped", {"Setup.exe", "--c", "/-x"},
       {{"-c", true, false}, {"-x", true, true}}},
      {"a lone dash is an empty flag", {"Setup.exe", "-"}, {{"", true, true}}},
      {"an empty argument is passed on", {"Setup.exe", "", "-u"},
       {{"", false, false}, {"u", true, true}}},
      {"a dash inside an argument is kept", {"Setup.exe", "a-b"}, {{"a-b", false, true}}},
      {"blanks stay inside the argument", {"Setup.exe", "-hHOST1 HOST2"},
       {{"hHOST1 HOST2", true, true}}},
  };
  for (const Case& c : kCases) EXPECT_EQ(Walk(c.argv), c.want) << c.name;
}

}  // namespace
