// The wizard's side of the install run: the worker thread is started here,
// and this thread keeps dispatching the wizard's messages until it ends. It
// also shows, on the worker's behalf, every box the run needs: a box belongs
// to the wizard window and its thread, never to the worker.
#include <windows.h>

#include "package/package_error.h"
#include <commctrl.h>

#include "base/message_box.h"
#include "base/process_state.h"
#include "install/install_run.h"
#include "install/registry_values.h"
#include "script/texts.h"
#include "uninstall/uninstall_run.h"

namespace {

// One question at a time: the worker fills it, signals askEvent and waits
// for answerEvent; the waiting loop shows the box and answers.
struct TExchange {
  HANDLE askEvent = nullptr;
  HANDLE answerEvent = nullptr;
  TStr text, caption;
  unsigned flags = 0;
  int answer = 0;
  DWORD waitingThread = 0;  // receives the progress posts of a run without a window
};

DWORD WINAPI WorkerMain(void* p) {
  RunInstallWorker(*static_cast<TInstallRun*>(p));
  return 0;
}

void ShowProgress(TInstallRun& run, int percent) {
  if (run.ProgressBar) SendMessageA((HWND)run.ProgressBar, PBM_SETPOS, (WPARAM)percent, 0);
  if (run.PercentLabel) SetWindowTextA((HWND)run.PercentLabel, (IntToStr(percent) + "%").c_str());
}

void DispatchPending(TInstallRun& run) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == kInstallProgressMessage && msg.hwnd == (HWND)run.Window) {
      ShowProgress(run, (int)msg.wParam);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void DefaultRollback(const TStr& logPath) { UninstallRun(logPath, false); }

}  // namespace

int AskWizard(TInstallRun& run, const TStr& text, const TStr& caption, unsigned flags) {
  TExchange* ex = static_cast<TExchange*>(run.Exchange);
  if (!ex) return ShowMessage(run.Window, text.c_str(), caption.c_str(), flags);
  ex->text = text;
  ex->caption = caption;
  ex->flags = flags;
  SetEvent(ex->askEvent);
  WaitForSingleObject(ex->answerEvent, INFINITE);
  return ex->answer;
}

void PostProgress(TInstallRun& run, int percent) {
  if (run.Window) {
    PostMessageA((HWND)run.Window, kInstallProgressMessage, (WPARAM)percent, 0);
  } else if (TExchange* ex = static_cast<TExchange*>(run.Exchange)) {
    PostThreadMessageA(ex->waitingThread, kInstallProgressMessage, (WPARAM)percent, 0);
  }
}

bool RequestInstallCancel(TInstallRun& run) {
  int expected = 0;
  if (run.State.compare_exchange_strong(expected, 1)) {
    CancelFlag.Raise();
    return true;
  }
  return expected == 1;
}

TInstallOutcome StartInstall(TInstallRun& run) {
  InstallDone.Lower();
  InstallSucceeded.Lower();
  run.State.store(0);
  run.Failure.Clear();
  if (!run.Rollback) run.Rollback = DefaultRollback;
  HWND owner = (HWND)run.Window;

  if (run.ProgressBar) {
    SendMessageA((HWND)run.ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA((HWND)run.ProgressBar, PBM_SETSTEP, 10, 0);
  }
  ShowProgress(run, 0);

  bool started = false;
  if (CheckScript(run)) {
    TExchange ex;
    ex.askEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ex.answerEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ex.waitingThread = GetCurrentThreadId();
    HANDLE thread = nullptr;
    if (ex.askEvent && ex.answerEvent) {
      run.Exchange = &ex;
      DWORD id;
      thread = CreateThread(nullptr, 0, WorkerMain, &run, 0, &id);
    }
    if (!thread) {
      run.Failure.Set(kInstallNoThread, GetLastError(), TStr());
    } else {
      started = true;
      HANDLE waits[2] = {thread, ex.askEvent};
      for (;;) {
        DWORD w = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (w == WAIT_OBJECT_0) break;
        if (w == WAIT_OBJECT_0 + 1) {
          ex.answer = ShowMessage(owner, ex.text.c_str(), ex.caption.c_str(), ex.flags);
          SetEvent(ex.answerEvent);
          continue;
        }
        DispatchPending(run);
      }
      CloseHandle(thread);
    }
    run.Exchange = nullptr;
    if (ex.askEvent) CloseHandle(ex.askEvent);
    if (ex.answerEvent) CloseHandle(ex.answerEvent);
    DispatchPending(run);
  }
  if (!started) {
    // Nothing was installed; the flags still tell the waiting wizard.
    CancelFlag.Raise();
    InstallSucceeded.Lower();
    InstallDone.Raise();
  }

  if (InstallSucceeded.IsSet()) {
    WriteProductKey(run);
    return kInstallSucceeded;
  }
  bool failed = run.Failure.Failed();
  if (failed)
    ShowMessage(owner, DescribeInstallFailure(run.Failure).c_str(), Text(TxtError).c_str(),
                MB_OK | MB_ICONERROR);
  if (started && !run.LogPath.empty()) run.Rollback(run.LogPath);
  ShowMessage(owner, Text(TxtSetupAborted).c_str(), Text(TxtWarning).c_str(), MB_OK | MB_ICONWARNING);
  return failed ? kInstallFailed : kInstallCancelled;
}

TStr DescribeInstallFailure(const TError& failure) {
  if (IsPackageErrorCode(failure.Code)) return PackageErrorText(failure);
  const char* what = "Setup failed: ";
  TStrPart subject = failure.Subject;
  switch (failure.Code) {
    case kInstallNoThread: what = "Setup could not start the installation."; subject = nullptr; break;
    case kInstallLogFailed: what = "The uninstall log could not be written: "; break;
    case kInstallExtractFailed: what = "A file could not be installed: "; break;
    case kInstallEntryFailed: what = "The uninstall entry could not be written: "; break;
    case kInstallScriptRefused: what = "This setup script cannot be installed safely: "; break;
    case kInstallBadDestination: what = "The destination is not a full folder path: "; break;
  }
  TStr text = Concat(what, subject);
  if (failure.SystemError) {
    char buf[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             failure.SystemError, 0, buf, sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) --n;
    text += Concat("\r\n", n ? TStr(buf, n) : TStr(), " (", IntToStr(failure.SystemError), ")");
  }
  return text;
}

void TakeStartupLocations(TInstallRun& run) {
  run.PackagePath = ProgramArg0;
  run.CabinetPath = CabinetPath;
  run.CabinetOffset = CabinetOffset;
  run.SystemFolder = SystemFolder;
  char windows[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  run.WindowsFolder = n && n < sizeof windows ? TStr(windows, n) : TStr();
}
