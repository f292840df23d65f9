// version_reader.exe PROGRAM
// Reads a program's version resource the way Explorer and inventory tools do
// (GetFileVersionInfoA, VerQueryValueA) and writes one line a value:
//   numbers FILEVERSION PRODUCTVERSION     from the fixed part, as a.b.c.d
//   translation LLLLCCCC                   the first language and code page it lists
//   <name>=<text>                          CompanyName, FileDescription, FileVersion,
//                                          ProductName, ProductVersion of that table
// Exit 0, or 1 with the failing call on stderr.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Fail(const char* call, const char* subject) {
  std::fprintf(stderr, "version_reader: %s failed for %s with error %lu.\n", call, subject,
               GetLastError());
  return 1;
}

std::string Numbers(DWORD high, DWORD low) {
  char text[64];
  std::snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu", high >> 16, high & 0xFFFF, low >> 16,
                low & 0xFFFF);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_reader PROGRAM\n");
    return 2;
  }
  const char* program = argv[1];
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
  if (size == 0) return Fail("GetFileVersionInfoSizeA", program);
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(program, 0, size, data.data())) {
    return Fail("GetFileVersionInfoA", program);
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof(*fixed)) {
    return Fail("VerQueryValueA(\\)", program);
  }
  std::printf("numbers %s %s\n", Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str(),
              Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str());

  WORD* translation = nullptr;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 4) {
    return Fail("VerQueryValueA(Translation)", program);
  }
  char table[16];
  std::snprintf(table, sizeof(table), "%04X%04X", translation[0], translation[1]);
  std::printf("translation %s\n", table);

  for (const char* name :
       {"CompanyName", "FileDescription", "FileVersion", "ProductName", "ProductVersion"}) {
    const std::string path = std::string("\\StringFileInfo\\") + table + "\\" + name;
    char* text = nullptr;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) {
      return Fail("VerQueryValueA", path.c_str());
    }
    std::printf("%s=%s\n", name, text);
  }
  return 0;
}
