#include "security/CapturedStdout.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

CapturedStdout::CapturedStdout() {
  char folder[MAX_PATH];
  char path[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "out", 0, path)) return;
  path_ = path;
  file_ = _open(path, _O_RDWR | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (file_ < 0) return;
  // Whatever was buffered before belongs to the old output.
  fflush(stdout);
  saved_ = _dup(_fileno(stdout));
  if (saved_ < 0 || _dup2(file_, _fileno(stdout)) != 0) {
    if (saved_ >= 0) _close(saved_);
    saved_ = -1;
  }
}

CapturedStdout::~CapturedStdout() {
  Stop();
  if (file_ >= 0) _close(file_);
  if (!path_.empty()) DeleteFileA(path_.c_str());
}

std::string CapturedStdout::Stop() {
  if (!active()) return {};
  fflush(stdout);
  _dup2(saved_, _fileno(stdout));
  _close(saved_);
  saved_ = -1;
  std::string text;
  _lseek(file_, 0, SEEK_SET);
  char buffer[4096];
  for (int read; (read = _read(file_, buffer, sizeof(buffer))) > 0;) text.append(buffer, read);
  return text;
}
