#include "framework/CommonControls.h"

#include <windows.h>

#include <commctrl.h>

bool InitCommonControlsForWizard() {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);  // 8 bytes
  controls.dwICC = ICC_PROGRESS_CLASS;
  return InitCommonControlsEx(&controls) != FALSE;
}
