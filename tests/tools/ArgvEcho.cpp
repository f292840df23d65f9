// argv_echo.exe [ARGUMENTS...]
// Writes its arguments, as the C runtime split its command line, to the file named by the
// environment variable ARGV_ECHO_OUT, and exits with the code in ARGV_ECHO_EXIT (0 when unset).
// Tests start it the way the installer starts a copy of itself and check what that copy would
// have received and that its exit code comes back.
//
// File format, one record per argument from argv[0] on: the argument's length in bytes (decimal),
// a colon, the bytes, a line feed. Arguments may hold any byte, line feeds included.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* outPath = std::getenv("ARGV_ECHO_OUT");
  const char* exitText = std::getenv("ARGV_ECHO_EXIT");
  const int exitCode = exitText != nullptr ? std::atoi(exitText) : 0;
  if (outPath == nullptr) {
    std::fprintf(stderr, "argv_echo: ARGV_ECHO_OUT is not set\n");
    return 2;
  }
  std::FILE* out = std::fopen(outPath, "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "argv_echo: cannot write %s\n", outPath);
    return 2;
  }
  for (int i = 0; i < argc; ++i) {
    const std::size_t length = std::strlen(argv[i]);
    std::fprintf(out, "%u:", static_cast<unsigned>(length));
    std::fwrite(argv[i], 1, length, out);
    std::fputc('\n', out);
  }
  const bool written = std::fclose(out) == 0;
  return written ? exitCode : 2;
}
