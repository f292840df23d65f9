// attach_payload.exe SETUP.exe OUTPUT.exe PAYLOAD.bin
// Copies SETUP.exe to OUTPUT.exe with PAYLOAD.bin attached as its payload resource, unchecked:
// the tests use it for the damaged and hostile payloads that the packing tool refuses to make.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PayloadAttach.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: attach_payload SETUP.exe OUTPUT.exe PAYLOAD.bin\n");
    return 2;
  }
  std::ifstream in(argv[3], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[3]);
    return 1;
  }
  const std::vector<uint8_t> payload{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
  std::string error;
  // No version resource: these installers exist only to be refused.
  if (!WriteFinishedInstaller(argv[1], argv[2], payload, {}, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
