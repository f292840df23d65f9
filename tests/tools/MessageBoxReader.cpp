// msgbox_reader.exe CAPTION SECONDS OUTFILE
// Waits up to SECONDS for a message box with the given caption, writes its text to OUTFILE byte
// for byte, then presses its OK button. Exits 0 when a box was found, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: msgbox_reader CAPTION SECONDS OUTFILE\n");
    return 2;
  }
  const DWORD deadline = GetTickCount() + std::strtoul(argv[2], nullptr, 10) * 1000;
  HWND box = nullptr;
  while (!(box = FindWindowA("#32770", argv[1])) && GetTickCount() < deadline) Sleep(100);
  if (!box) return 1;
  Sleep(200);  // let the box finish laying itself out
  const std::string text = ControlText(GetDlgItem(box, kMessageBoxTextId));
  FILE* out = std::fopen(argv[3], "wb");
  if (!out) return 2;
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}
