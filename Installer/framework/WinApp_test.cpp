#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <thread>

#include "framework/ThreadMainWindow.h"

namespace {

TEST(WinAppTest, TheLivingApplicationObjectIsTheApplication) {
  HWND seenFromWorker = reinterpret_cast<HWND>(1);
  {
    CWinApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(app.GetThreadId(), GetCurrentThreadId());

    const HWND someWindow = reinterpret_cast<HWND>(0x1234);
    app.SetMainWnd(someWindow);
    EXPECT_EQ(AfxGetMainWnd(), someWindow);
    std::thread worker([&] { seenFromWorker = AfxGetMainWnd(); });
    worker.join();
  }
  EXPECT_EQ(seenFromWorker, nullptr) << "a worker thread has no main window";
  EXPECT_EQ(AfxGetApp(), nullptr);
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

TEST(WinAppTest, AWorkerThatNamedAWindowHasItAsMainWindowWhileItExists) {
  CWinApp app;
  const HWND appWindow = CreateWindowExA(0, "STATIC", "app", 0, 0, 0, 10, 10, HWND_MESSAGE,
                                         nullptr, nullptr, nullptr);
  app.SetMainWnd(appWindow);
  HWND named = nullptr;
  HWND whileNamed = nullptr;
  HWND afterDestroyed = nullptr;
  HWND afterwards = reinterpret_cast<HWND>(1);
  std::thread worker([&] {
    named = CreateWindowExA(0, "STATIC", "worker", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                            nullptr, nullptr);
    {
      const CThreadMainWindow mainWindow(named);
      whileNamed = AfxGetMainWnd();
      DestroyWindow(named);
      afterDestroyed = AfxGetMainWnd();
    }
    afterwards = AfxGetMainWnd();
  });
  worker.join();
  EXPECT_EQ(whileNamed, named);
  EXPECT_EQ(afterDestroyed, appWindow) << "the window named has gone: the application's";
  EXPECT_EQ(afterwards, nullptr) << "no name any more: none";
  EXPECT_EQ(AfxGetMainWnd(), appWindow) << "the application's thread is not affected";
  DestroyWindow(appWindow);
}

TEST(WinAppTest, RunWithoutMainWindowEndsAtOnceAndLeavesTheQueueAlone) {
  CWinApp app;
  app.SetExitCode(7);
  PostQuitMessage(99);  // a loop that waited for messages would end with this code instead

  EXPECT_EQ(app.Run(), 7);
  EXPECT_EQ(app.GetExitCode(), 7);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit message was consumed";
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

// A message-only window that ends the application's loop when it receives WM_APP, with the
// message's wParam as the code, as a main window does when it closes.
LRESULT CALLBACK QuitOnAppMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    PostQuitMessage(static_cast<int>(wParam));
    return 0;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

class MessageWindow {
 public:
  MessageWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = QuitOnAppMessage;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier test registered it
    wnd_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  ~MessageWindow() {
    if (wnd_ != nullptr) DestroyWindow(wnd_);
  }
  HWND get() const { return wnd_; }

 private:
  static constexpr const char* kClassName = "WinAppTestMessageWindow";
  HWND wnd_ = nullptr;
};

TEST(WinAppTest, RunDispatchesUntilQuitAndTakesItsCode) {
  MessageWindow window;
  ASSERT_NE(window.get(), nullptr) << "CreateWindowExA failed: " << GetLastError();
  CWinApp app;
  app.SetMainWnd(window.get());
  ASSERT_TRUE(PostMessageA(window.get(), WM_APP, 1603, 0));

  EXPECT_EQ(app.Run(), 1603);
  EXPECT_EQ(app.GetExitCode(), 1603);
}

TEST(WinAppTest, ExecutableTitleIsTheFileNameWithoutExtension) {
  struct Case {
    const char* name;
    const char* path;
    const char* want;
  };
  const Case kCases[] = {
      {"full path", "C:\\Users\\Jo Smith\\Downloads\\Setup.exe", "Setup"},
      {"dotted folder", "C:\\Tools.v2\\Setup", "Setup"},
      {"several dots", "C:\\Apps\\Norvane.Setup.1.6.exe", "Norvane.Setup.1.6"},
      {"bare name", "Setup.exe", "Setup"},
      {"drive only", "C:Setup.exe", "Setup"},
      {"forward slashes", "C:/Apps/Setup.exe", "Setup"},
  };
  for (const Case& c : kCases) EXPECT_EQ(ExecutableTitle(c.path), c.want) << c.name;
}

TEST(WinAppTest, ApplicationTitleNamesTheRunningExecutable) {
  EXPECT_EQ(ApplicationTitle(), "installer_tests");
}

}  // namespace
