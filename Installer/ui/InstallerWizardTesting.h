// Helpers of the installer wizard's tests (linked into installer_tests only): an engine set up
// the way a test describes it, and the wizard over it, created modeless on the test's thread so
// that a click is handled before it returns.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/Installer.h"
#include "ui/InstallerDlg.h"

// The settings of the shipped configuration, in its order.
std::vector<RegValue> ShippedSettings();

// An engine for the product Brenmoor (application Norvane, company QVX) with the shipped
// settings and no licence or information text. Reports go to the log: no box may stop a test.
void SetUpTestEngine(CInstaller& engine);

class TestInstallerWizard {
 public:
  // |worker| runs when the install page's Finish shows the progress dialog.
  explicit TestInstallerWizard(CInstaller& engine, CUPDialog::Worker worker = nullptr);

  // Creates the wizard window and shows it; false when it could not be created.
  bool Open();
  HWND Frame() const { return dialog.GetSafeHwnd(); }
  // Clicks a frame button; returns once the click has been handled.
  void Click(int buttonId) const;
  // Template id of the page shown, 0 when none is.
  UINT ActivePage() const;
  // Control |id| of page |pageId|, null when that page has no window (yet).
  HWND PageControl(UINT pageId, int id) const;
  // Next until the page |pageId| is shown, accepting the licence on the way; false when Next
  // stops moving first.
  bool GoTo(UINT pageId);
  // The template ids of the pages shown from the first to the last, going on with Next.
  std::vector<UINT> WalkToTheEnd();

  CInstallerDlg dialog;
};

// The text of |window|; empty for a null window.
std::string TextOf(HWND window);
