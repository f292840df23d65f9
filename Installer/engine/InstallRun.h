// One attempt to install the product: the one sequence of steps that the unattended run and every
// Finish of the wizard go through, and the only place where an attempt's recorded changes are
// committed or rolled back.
//
//   InstallRun attempt(theInstaller, choices);
//   attempt.Prepare();                                        // the wizard: at Finish
//   const InstallOutcome outcome = attempt.Execute(progress);  // the wizard: on the worker thread
//   attempt.Report();                                          // the caller's thread
//
// Each attempt starts afresh: the archive is read from its first entry, the folders and the
// sizes of an earlier attempt are forgotten, and the run's bookkeeping begins a new record with
// the attempt's first change. So a Finish that failed can be followed by another one that
// installs exactly what a single successful Finish installs.
#pragma once

#include <string>

#include "support/ProductMutex.h"
#include "ui/ProgressContext.h"

class CInstaller;

// How an installation attempt ended.
enum class InstallOutcome {
  kNotRun,     // no attempt has been made (yet)
  kCompleted,  // every step ran
  kFailed,     // a step failed, or the progress dialog could not run the attempt
  kCancelled,  // the user stopped it
  kBusy,       // another installation of the product held its lock: nothing was done
};

// What distinguishes one attempt from another: the unattended run takes it from the command
// line, the wizard from its pages.
struct InstallChoices {
  // The company folder, <destination>\<companyName>, made when missing.
  std::string companyFolder;
  // The Uninstall entry and ExePathInfo: an unattended run started by the automatic update
  // leaves them as they are.
  bool registerProduct = true;
  // The UltraVNC setup of the package, run once the installation is complete.
  bool remoteSupport = false;
  // The wizard: the attempt takes the product's lock for itself, and finishes killed runs of the
  // product under it, so that an open wizard never keeps other installations waiting. An
  // unattended run holds the lock, and has finished them, from its start.
  bool takeLock = false;
};

class InstallRun {
 public:
  // |engine| holds the loaded package and the run's bookkeeping (runChanges, which may be null:
  // then nothing is recorded, and a failure is not undone); it must outlive the attempt.
  InstallRun(CInstaller& engine, InstallChoices choices);

  InstallRun(const InstallRun&) = delete;
  InstallRun& operator=(const InstallRun&) = delete;

  // Starts the attempt afresh (CInstaller::BeginAttempt): with |takeLock|, takes the product's
  // lock (kBusy, with "Another installation of <projectName> is in progress." reported, when
  // another run holds it) and rolls back killed runs of the product (kFailed when one cannot be
  // finished); logs what is installed and the decision (fresh installation, upgrade,
  // reinstallation, downgrade); then makes the company and Start-menu folders (PrepareInstall).
  // When they cannot be made (reported), what was made is rolled back and the answer is kFailed;
  // otherwise kNotRun: Execute does the rest. The wizard calls it on its own thread when Finish
  // is pressed, before the progress dialog starts; the lock is given back when the attempt ends
  // (this object goes, on the thread that took it).
  InstallOutcome Prepare();

  // Runs the attempt (Prepare first, unless it ran): the files, the links, the Uninstall
  // entry and ExePathInfo, then the commit of the recorded changes and, after it, the UltraVNC
  // setup (another product's installer, which is not undone). A step that fails has reported
  // itself; the attempt then rolls back everything it recorded before it answers kFailed. When
  // |progress| asks to stop (the user's Cancel), the attempt stops before the next step, rolls
  // back and answers kCancelled. |progress| is null in an unattended run.
  InstallOutcome Execute(ProgressContext* progress);

  // What the attempt was asked to do.
  const InstallChoices& Choices() const { return choices_; }
  // What Execute answered; kNotRun before.
  InstallOutcome Outcome() const { return outcome_; }

  // Tells the outcome: "Installation of <projectName> has completed successfully." (the run is
  // over: the package is released) or "... has failed." (the package is kept, so that the
  // wizard can make another attempt). The sentence is in the log, and in a box in the wizard.
  // Reports nothing for kNotRun or kCancelled: a stop is told by its caller.
  void Report();

 private:
  InstallOutcome Run(ProgressContext* progress);
  // Rolls back whatever the attempt recorded; |outcome| is kept as the attempt's.
  InstallOutcome Finish(InstallOutcome outcome);

  // Takes the lock and finishes killed runs; false with the outcome in |outcome| otherwise.
  bool TakeLock(InstallOutcome* outcome);

  bool prepared_ = false;
  ProductMutex lock_;

  CInstaller& engine_;
  InstallChoices choices_;
  InstallOutcome outcome_ = InstallOutcome::kNotRun;
};
