// Test helper (linked into installer_tests only): what the code under test prints on the C
// runtime's standard output stream.
#pragma once

#include <string>

// From construction until Stop() (or destruction), descriptor 1 (stdout) writes into a temporary
// file. Stop before asserting: a test framework's failure text printed during the capture would
// land in the file and never be seen. Not thread-safe: one capture at a time.
class CapturedStdout {
 public:
  CapturedStdout();
  ~CapturedStdout();
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;

  // False when the output could not be redirected (or the capture was stopped).
  bool active() const { return saved_ >= 0 && file_ >= 0; }
  // Restores the old output and answers everything printed since the capture began ("" when it
  // was not active).
  std::string Stop();

 private:
  std::string path_;
  int file_ = -1;
  int saved_ = -1;
};
