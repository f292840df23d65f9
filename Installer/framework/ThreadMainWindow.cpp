#include "framework/ThreadMainWindow.h"

namespace {

thread_local HWND theNamedWindow = nullptr;

}  // namespace

CThreadMainWindow::CThreadMainWindow(HWND window) : previous_(theNamedWindow) {
  theNamedWindow = window;
}

CThreadMainWindow::~CThreadMainWindow() { theNamedWindow = previous_; }

HWND NamedThreadMainWindow() { return theNamedWindow; }
