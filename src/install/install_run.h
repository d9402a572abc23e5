// The install run: on one worker thread, the selected options' files are
// extracted into the destination and system folders and recorded in the
// uninstall log, system files are registered, and the product gets its
// uninstall entry and uninstaller file. The wizard's thread starts it with
// StartInstall and keeps its windows alive until it ends.
#pragma once
#include <atomic>

#include "base/error.h"
#include "base/run_host.h"
#include "base/shared_flag.h"
#include "base/str_list.h"
#include "install/install_choices.h"
#include "install/script_rules.h"
#include "package/package_layout.h"
#include "script/texts.h"

// Failure codes of the run (TError::Code), in the install run's own range:
// the start-up's codes (app/startup.h) are 100 and up, and a wizard shows
// either kind through one message.
enum {
  kInstallOk = 0,
  kInstallNoThread = 0x300,  // the worker thread could not be created
  kInstallLogFailed,         // the destination folder or the log could not be written
  kInstallExtractFailed,     // a file could not be extracted (Subject: its name)
  kInstallEntryFailed,       // the uninstall entry or the uninstaller file
  kInstallScriptRefused,     // the script would make the uninstall destroy others' data
  kInstallBadDestination,    // the destination is not a full folder path
  kInstallRecordFailed,      // the uninstall log's record in the Windows folder (Subject: its path)
};

// How the run ended, as StartInstall returns it.
enum TInstallOutcome { kInstallSucceeded, kInstallCancelled, kInstallFailed };

struct TInstallRun {
  // --- Filled by the wizard (or a test) before StartInstall.
  TInstallChoices Choices;
  const TScriptValues* Script = nullptr;
  // The script's texts, for the captions and words of what the run tells.
  TScriptTexts Texts;
  // The package: the program's own file (its image is copied as the
  // uninstaller), and where its cabinet is.
  TStr PackagePath;
  TPackagePlace Package;
  TStr SystemFolder;   // the system folder, without a trailing backslash
  TStr WindowsFolder;  // the Windows folder, without a trailing backslash
  // Who the run talks to: its questions and failures, its progress, every
  // file written, key set, shortcut made and file registered. Required.
  // While the worker runs, the worker sees in its place a stand-in that
  // hands questions and progress to this host on the starting thread.
  TRunHost* Host = nullptr;
  // Undoes a cancelled or failed run from its log, through the same host,
  // after the worker has ended: only the entries past `keptBytes`, what
  // earlier runs wrote into the log before this one, are undone, and the log
  // is cut back to them. True when everything was undone. Defaults to the
  // uninstall run in rollback mode.
  bool (*Rollback)(const TStr& logPath, size_t keptBytes, TRunHost& host) = nullptr;
  // How long the full bar stays visible before the wizard moves on.
  unsigned FinalPauseMs = 500;

  // --- Settled by the run.
  TStr LogName;             // the current uninstall log name
  TStr LogPath;             // destination + log name
  size_t LogStartBytes = 0;  // the log's length before this run (an earlier run's log)
  TStrList RegistrationFailures;  // the failure texts shown, in order
  TError Failure;           // why a failed run failed
  bool RollbackComplete = true;  // the rollback of a failed run undid everything
  int InstalledFiles = 0;   // [Files] entries written by the extraction
  // Shortcut folders this installation created (never removed whole when
  // they existed before).
  TStrList CreatedFolders;

  // --- Between the threads.
  // 0 running, 1 cancel asked, 2 committed (the uninstall entry is being
  // written: a Cancel now comes too late and is refused).
  std::atomic<int> State{0};
  // The run's cancel token: raised by RequestInstallCancel or by the run's
  // own failure; every step and the cabinet reader stop once it is up.
  TSharedFlag Cancel;
  // The worker's report: Succeeded is written first, then Done is raised.
  TSharedFlag Done, Succeeded;
};

// Checks the script with the refused-script rule; fills run.Failure (Subject:
// "[Section] Key: reason" of the first refusal) and returns false when it is
// refused. Nothing is installed then.
bool CheckScript(TInstallRun& run);

// Runs the install on a worker thread and waits for it, dispatching the
// thread's window messages meanwhile (without spinning) and handing the
// worker's questions and progress to run.Host on this thread. On cancel or
// failure it tells the failure, hands the log to run.Rollback and tells
// Setup_Aborted; on success it writes the product key (WriteProductKey).
// Raises run.Done when the worker ends and sets run.Succeeded.
TInstallOutcome StartInstall(TInstallRun& run);

// The wizard's Cancel while the run is going: raises run.Cancel unless the
// run has already committed. Returns false when it came too late.
bool RequestInstallCancel(TInstallRun& run);

// The worker's body (install_worker_win.cpp). Returns normally in every case;
// the outcome is in run.State / run.Cancel / run.Failure.
void RunInstallWorker(TInstallRun& run);

// Text of a failure for the user.
TStr DescribeInstallFailure(const TError& failure);
