// Reading what the process-wide log received during a test.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "support/Log.h"

// Marks the end of the log file now; Text() answers what was written since. A mark line is
// written first: the log derives its file name only at its first line, so a mark taken before
// any line was written would read a file that the next line does not go to.
class LogSince {
 public:
  explicit LogSince(const std::string& mark = "mark") {
    theLog.Write(("Test " + mark + ".").c_str());
    start_ = Read().size();
  }
  std::string Text() const {
    const std::string all = Read();
    return all.size() > start_ ? all.substr(start_) : std::string();
  }
  bool Has(const std::string& piece) const { return Text().find(piece) != std::string::npos; }

 private:
  static std::string Read() {
    std::ifstream file(theLog.GetFileName(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  size_t start_ = 0;
};
