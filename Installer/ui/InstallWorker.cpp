#include "ui/InstallWorker.h"

#include <windows.h>

#include "ui/UPDialog.h"

InstallOutcome OutcomeOfProgressDialog(int endCode) {
  switch (endCode) {
    case kUPDialogWorkerSucceeded:
      return InstallOutcome::kCompleted;
    case kUPDialogTerminated:
      return InstallOutcome::kCancelled;
    default:
      return InstallOutcome::kFailed;
  }
}

bool IsMainProduct(const std::string& appName) {
  return lstrcmpiA(appName.c_str(), "Norvane") == 0;
}

bool InstallWorker(ProgressContext* context) {
  return context->attempt != nullptr &&
         context->attempt->Execute(context) == InstallOutcome::kCompleted;
}
