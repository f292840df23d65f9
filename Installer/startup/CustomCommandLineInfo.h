// The installer's meaning of its command-line arguments.
#pragma once

#include <string>
#include <vector>

#include "framework/CommandLineInfo.h"
#include "startup/CmdLineArgTracker.h"

// The letters that start the installer's options, value options and switches alike.
constexpr char kOptionLetters[] = "chpadlbu?wtvr";

// Fills a CCmdLineArgTracker during the framework's command-line walk. Every option is one
// letter, compared case-sensitively; whether the argument had a leading '-' or '/' does not matter.
//   c h p a d l b   value options: the field becomes the rest of the argument after the letter,
//                   as is (a later occurrence replaces an earlier one; "-h" alone clears it)
//   u ? w t v r     switches: the flag becomes 1; anything after the letter is ignored
// Any other first character (capitals included) is left to the framework's standard handling,
// which has no effect; so is the -r argument, after setting its flag.
class CCustomCommandLineInfo : public CCommandLineInfo {
 public:
  // |tracker| is not owned and must outlive this object; with null, arguments are ignored.
  explicit CCustomCommandLineInfo(CCmdLineArgTracker* tracker);
  ~CCustomCommandLineInfo() override;

  void ParseParam(const char* param, bool isFlag, bool isLast) override;

 private:
  CCmdLineArgTracker* tracker_;
};

// The arguments of argv[1] .. argv[argc - 1], as given, that are none of the installer's options:
// after one leading '-' or '/' they do not start with a letter of kOptionLetters (so "/S", "/qn",
// "/D=C:\Apps", "/VERYSILENT", the folder of "-d C:\Apps"). The elevated copy's own marker is
// no such argument.
std::vector<std::string> NotOptionArguments(int argc, char** argv);
