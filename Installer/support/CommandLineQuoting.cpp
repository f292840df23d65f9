#include "support/CommandLineQuoting.h"

std::string QuoteForCommandLine(const std::string& value) {
  std::string out = "\"";
  std::string::size_type backslashes = 0;
  for (const char ch : value) {
    if (ch == '\\') {
      ++backslashes;
      continue;
    }
    // The C runtime halves a run of backslashes that precedes a quote, so such a run is doubled;
    // elsewhere backslashes are taken literally and stay as they are.
    out.append(ch == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += ch;
  }
  // The closing quote follows: trailing backslashes are doubled so they do not escape it.
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}
