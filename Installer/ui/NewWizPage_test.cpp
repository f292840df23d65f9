// How a wizard page looks: a white background for every control, black text, a dark blue title in
// a bold font.
#include "ui/NewWizPage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui/WizardTestPages.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kUntouched = RGB(12, 34, 56);

TEST(NewWizPageTest, EveryControlPaintsOnWhiteAndTheTitleIsDarkBlue) {
  CallLog log;
  ScriptedPage page("A", IDD_TEST_PAGE_FIRST, log);
  TestWizard wizard({&page});
  ASSERT_TRUE(wizard.Create(IDD_TEST_WIZARD, nullptr));
  const HWND pageWindow = page.GetSafeHwnd();
  const HWND title = GetDlgItem(pageWindow, IDC_WIZ_PAGE_TITLE);
  const HWND text = GetDlgItem(pageWindow, IDC_TEST_PAGE_TEXT);
  const HWND edit = GetDlgItem(pageWindow, IDC_TEST_PAGE_EDIT);

  struct Case {
    const char* name;
    UINT message;
    HWND control;
    bool coloursSet;
    COLORREF textColour;
  } cases[] = {
      {"edit", WM_CTLCOLOREDIT, edit, true, kBlack},
      {"list box", WM_CTLCOLORLISTBOX, edit, true, kBlack},
      {"button", WM_CTLCOLORBTN, edit, true, kBlack},
      {"scroll bar", WM_CTLCOLORSCROLLBAR, edit, true, kBlack},
      {"title", WM_CTLCOLORSTATIC, title, true, RGB(0, 0, 150)},
      {"another static", WM_CTLCOLORSTATIC, text, true, kBlack},
      {"the page itself", WM_CTLCOLORDLG, pageWindow, false, 0},
      {"a message box", WM_CTLCOLORMSGBOX, pageWindow, false, 0},
  };
  const HDC dc = CreateCompatibleDC(nullptr);
  for (const Case& c : cases) {
    SetTextColor(dc, kUntouched);
    SetBkColor(dc, kUntouched);
    const LRESULT answer = SendMessageA(pageWindow, c.message, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(c.control));
    LOGBRUSH brush = {};
    ASSERT_EQ(GetObjectA(reinterpret_cast<HBRUSH>(answer), sizeof(brush), &brush),
              static_cast<int>(sizeof(brush)))
        << c.name << ": the answer is a brush";
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID)) << c.name;
    EXPECT_EQ(brush.lbColor, kWhite) << c.name;
    EXPECT_EQ(GetTextColor(dc), c.coloursSet ? c.textColour : kUntouched) << c.name;
    EXPECT_EQ(GetBkColor(dc), c.coloursSet ? kWhite : kUntouched) << c.name;
  }
  DeleteDC(dc);
}

TEST(NewWizPageTest, TheTitleFontIsBoldSixteenPixelMsSansSerif) {
  CallLog log;
  ScriptedPage page("A", IDD_TEST_PAGE_FIRST, log);
  EXPECT_EQ(page.TitleFont(), nullptr) << "no font before the window exists";
  TestWizard wizard({&page});
  ASSERT_TRUE(wizard.Create(IDD_TEST_WIZARD, nullptr));

  LOGFONTA font = {};
  ASSERT_EQ(GetObjectA(page.TitleFont(), sizeof(font), &font), static_cast<int>(sizeof(font)));
  EXPECT_EQ(font.lfHeight, -16);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
}

}  // namespace
