// The installation sequence of the wizard's worker: how a progress dialog's end code reads as
// an outcome, and that a stop request keeps every later step from starting.
#include "ui/InstallWorker.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Installer.h"
#include "package/PayloadModuleScope.h"
#include "package/PayloadResource.h"
#include "package/codec/ArchiveWriter.h"
#include "package/codec/PayloadFormat.h"
#include "support/ScopedTempDir.h"
#include "ui/UPDialog.h"
#include "LogReader.h"

namespace {

TEST(InstallWorkerTest, TheProgressDialogsEndCodeIsTheOutcome) {
  struct Case {
    const char* name;
    int endCode;
    InstallOutcome want;
  } cases[] = {
      {"the worker succeeded", kUPDialogWorkerSucceeded, InstallOutcome::kCompleted},
      {"the worker failed or could not start", kUPDialogWorkerFailed, InstallOutcome::kFailed},
      {"the user stopped the dialog", kUPDialogTerminated, InstallOutcome::kCancelled},
      {"the dialog could not be shown: nothing ran", -1, InstallOutcome::kFailed},
  };
  for (const Case& c : cases) EXPECT_EQ(OutcomeOfProgressDialog(c.endCode), c.want) << c.name;
}

TEST(InstallWorkerTest, OnlyNorvaneIsTheMainProduct) {
  struct Case {
    const char* appName;
    bool want;
  } cases[] = {{"Norvane", true}, {"NORVANE", true}, {"norvane", true},
               {"Norvane2", false}, {"Tallyset", false}, {"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsMainProduct(c.appName), c.want) << c.appName;
}


// Stands in for the progress dialog: a message-only window that receives the progress messages
// and asks the worker to stop when the extraction reports its end, as a user pressing Escape at
// that moment would.
class StopWhenFilesAreDone {
 public:
  StopWhenFilesAreDone() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &StopWhenFilesAreDone::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when registered before
    window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    context.dialogWindow = window_;
    context.userData = &percentage;
  }
  ~StopWhenFilesAreDone() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }

  ProgressContext context;
  int32_t percentage = 0;

 private:
  static constexpr char kClassName[] = "InstallWorkerTestProgress";

  static LRESULT CALLBACK Procedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StopWhenFilesAreDone*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || id != WM_UPD_SET_TEXT) return DefWindowProcA(window, id, wParam, lParam);
    const std::string text = reinterpret_cast<const char*>(lParam);
    if (text.find("Files successfully extracted.") != std::string::npos) self->context.terminated = 1;
    return TRUE;
  }

  HWND window_ = nullptr;
};

TEST(InstallWorkerTest, AStopAfterTheFilesKeepsTheLaterStepsFromStarting) {
  PayloadModuleScope module;
  ASSERT_TRUE(module.loaded());
  payload::ArchiveWriter writer("Norvane", "1.0", "");
  const std::string content = "program";
  ASSERT_EQ("", writer.AddFile("Quorvin.exe", reinterpret_cast<const uint8_t*>(content.data()),
                               content.size()));
  std::vector<uint8_t> payload;
  ASSERT_EQ("", payload::CompressPayload(writer.Finish(), &payload));

  ScopedTempDir temp;
  CInstaller engine;
  engine.silent = 1;
  ASSERT_TRUE(engine.InitFromResource(payload.data(), payload.size(), true));
  InstallChoices choices;
  choices.companyFolder = temp.path() + "\\QVX";
  InstallRun attempt(engine, choices);
  StopWhenFilesAreDone dialog;
  dialog.context.attempt = &attempt;
  const LogSince log;

  EXPECT_FALSE(InstallWorker(&dialog.context));
  EXPECT_EQ(attempt.Outcome(), InstallOutcome::kCancelled);

  EXPECT_TRUE(PathFileExistsA((engine.GetVersionFolder() + "Quorvin.exe").c_str()))
      << "the files were all written before the request";
  EXPECT_TRUE(log.Has("Leave function Files()."));
  EXPECT_TRUE(log.Has("The installation was stopped at the user's request before "
                      "CreateAppShortCuts()."))
      << log.Text();
  for (const char* step : {"CreateAppShortCuts()", "RegisterUninstall()", "CreateExePathInfo()"}) {
    EXPECT_FALSE(log.Has(std::string("Enter function ") + step)) << step;
  }
}

}  // namespace
