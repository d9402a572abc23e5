// The starting side of the install run: the worker thread is started here,
// and this thread keeps dispatching its window messages until it ends. It
// also hands the worker's questions and progress to the run's host.
#include <windows.h>

#include <atomic>

#include "package/package_error.h"
#include "install/install_run.h"
#include "install/registry_values.h"
#include "uninstall/uninstall_run.h"

namespace {

// The worker's stand-in for the run's host. Questions and notices wait for
// the starting thread, which hands them to the real host there: a box
// belongs to the thread of the window that owns it, never to the worker.
// Progress is left in a slot that the starting thread picks up; only the
// latest value counts. What was done or failed goes straight to the host.
class TWorkerSide : public TRunHost {
public:
  explicit TWorkerSide(TRunHost& host) : host_(host) {}
  ~TWorkerSide() {
    for (HANDLE h : events) if (h) CloseHandle(h);
  }
  bool Ready() const { return events[0] && events[1] && events[2]; }

  bool Ask(const TStr& question, const TStr& caption, bool unattendedAnswer) override {
    return Put(kAsk, question, caption, unattendedAnswer);
  }
  bool AskRetry(const TStr& problem, const TStr& caption) override { return Put(kRetry, problem, caption, false); }
  void Tell(TNoticeKind kind, const TStr& text, const TStr& caption) override {
    kind_ = kind;
    Put(kTell, text, caption, false);
  }
  void Progress(int percent) override {
    percent_.store(percent);
    SetEvent(events[kProgressEvent]);
  }
  void Done(const char* action, const TStr& subject) override { host_.Done(action, subject); }
  void Failed(const char* action, const TStr& subject, unsigned systemError) override {
    host_.Failed(action, subject, systemError);
  }

  // The starting thread's side: the waiting question or notice, answered.
  void Answer() {
    if (what_ == kAsk) answer_ = host_.Ask(text_, caption_, unattended_);
    else if (what_ == kRetry) answer_ = host_.AskRetry(text_, caption_);
    else host_.Tell(kind_, text_, caption_);
    SetEvent(events[kAnswerEvent]);
  }
  // The latest progress, when it has not been handed on yet.
  void HandOnProgress() {
    int percent = percent_.exchange(-1);
    if (percent >= 0) host_.Progress(percent);
  }

  enum { kAskEvent, kProgressEvent, kAnswerEvent };
  HANDLE events[3] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, FALSE, FALSE, nullptr),
                      CreateEventA(nullptr, FALSE, FALSE, nullptr)};

private:
  enum TWhat { kAsk, kRetry, kTell };
  bool Put(TWhat what, const TStr& text, const TStr& caption, bool unattended) {
    what_ = what;
    text_ = text;
    caption_ = caption;
    unattended_ = unattended;
    return Exchange();
  }
  bool Exchange() {
    SetEvent(events[kAskEvent]);
    WaitForSingleObject(events[kAnswerEvent], INFINITE);
    return answer_;
  }
  TRunHost& host_;
  TWhat what_ = kTell;
  bool unattended_ = false, answer_ = false;
  TNoticeKind kind_ = kNoticeInformation;
  TStr text_, caption_;
  std::atomic<int> percent_{-1};
};

DWORD WINAPI WorkerMain(void* p) {
  RunInstallWorker(*static_cast<TInstallRun*>(p));
  return 0;
}

void DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool DefaultRollback(const TStr& logPath, size_t keptBytes, TRunHost& host) {
  return UninstallRun(logPath, false, host, keptBytes);
}

// Runs the worker with `side` in place of the host and serves it until the
// worker ends. False when the thread could not be started.
bool RunWorker(TInstallRun& run, TWorkerSide& side) {
  TRunHost* host = run.Host;
  run.Host = &side;
  DWORD id;
  HANDLE thread = side.Ready() ? CreateThread(nullptr, 0, WorkerMain, &run, 0, &id) : nullptr;
  if (!thread) {
    run.Host = host;
    run.Failure.Set(kErrorInstall, kInstallNoThread, GetLastError(), TStr());
    return false;
  }
  HANDLE waits[3] = {thread, side.events[TWorkerSide::kAskEvent], side.events[TWorkerSide::kProgressEvent]};
  for (;;) {
    DWORD w = MsgWaitForMultipleObjects(3, waits, FALSE, INFINITE, QS_ALLINPUT);
    if (w == WAIT_OBJECT_0) break;
    if (w == WAIT_OBJECT_0 + 1) side.Answer();
    else if (w == WAIT_OBJECT_0 + 2) side.HandOnProgress();
    else DispatchPending();
  }
  CloseHandle(thread);
  run.Host = host;
  side.HandOnProgress();
  DispatchPending();
  return true;
}

}  // namespace

bool RequestInstallCancel(TInstallRun& run) {
  int expected = 0;
  if (run.State.compare_exchange_strong(expected, 1)) {
    run.Cancel.Raise();
    return true;
  }
  return expected == 1;
}

TInstallOutcome StartInstall(TInstallRun& run) {
  run.Done.Lower();
  run.Succeeded.Lower();
  run.Cancel.Lower();
  run.State.store(0);
  run.Failure.Clear();
  run.RollbackComplete = true;
  run.LogStartBytes = 0;
  if (!run.Rollback) run.Rollback = DefaultRollback;
  // The one form of the destination the run checks, logs and builds on.
  run.Choices.Destination = WindowsSeparators(run.Choices.Destination);
  TRunHost& host = *run.Host;
  host.Progress(0);

  bool started = false;
  if (CheckScript(run)) {
    TWorkerSide side(host);
    started = RunWorker(run, side);
  }
  if (!started) {
    // Nothing was installed; the flags still tell the waiting wizard.
    run.Cancel.Raise();
    run.Succeeded.Lower();
    run.Done.Raise();
  }

  if (run.Succeeded.IsSet()) {
    WriteProductKey(run);
    return kInstallSucceeded;
  }
  bool failed = run.Failure.Failed();
  if (failed) host.Tell(kNoticeError, DescribeInstallFailure(run.Failure), run.Texts[TxtError]);
  if (started && !run.LogPath.empty()) run.RollbackComplete = run.Rollback(run.LogPath, run.LogStartBytes, host);
  host.Tell(kNoticeWarning, run.Texts[TxtSetupAborted], run.Texts[TxtWarning]);
  return failed ? kInstallFailed : kInstallCancelled;
}

TStr DescribeInstallFailure(const TError& failure) {
  if (failure.Domain == kErrorPackage) return PackageErrorText(failure);
  const char* what = "Setup failed: ";
  TStrPart subject = failure.Subject;
  switch (failure.Code) {
    case kInstallNoThread: what = "Setup could not start the installation."; subject = nullptr; break;
    case kInstallLogFailed: what = "The uninstall log could not be written: "; break;
    case kInstallRecordFailed: what = "The record of the uninstall log could not be written: "; break;
    case kInstallExtractFailed: what = "A file could not be installed: "; break;
    case kInstallEntryFailed: what = "The uninstall entry could not be written: "; break;
    case kInstallScriptRefused: what = "This setup script cannot be installed safely: "; break;
    case kInstallBadDestination: what = "The destination is not a full folder path: "; break;
  }
  TStr text = Concat(what, subject);
  if (failure.SystemError)
    text += Concat("\r\n", SystemErrorText(failure.SystemError), " (", IntToStr(failure.SystemError), ")");
  return text;
}

