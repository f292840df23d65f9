#include "security/PrintError.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "support/Log.h"

namespace {

std::string FormatArguments(const char* format, va_list arguments) {
  va_list measure;
  va_copy(measure, arguments);
  const int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  vsnprintf(&text[0], text.size(), format, arguments);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The messages end in "\n" or " " for the output stream; the log adds its own line end.
std::string WithoutTrailingBreak(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

void PrintError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatArguments(format, arguments);
  va_end(arguments);

  fputs(text.c_str(), stdout);
  // Flushed at once, so the message stands next to whatever the process printed around it even
  // when it ends abruptly.
  fflush(stdout);
  theLog.Write(WithoutTrailingBreak(text).c_str());
}

void PrintLastError(const char* format) { PrintError(format, static_cast<int>(GetLastError())); }
