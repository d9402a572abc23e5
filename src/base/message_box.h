// Every message the program shows goes through here, so tests can read what
// would have been shown instead of a window waiting for a click.
#pragma once
#include "base/run_host.h"

int ShowMessage(void* owner, const char* text, const char* caption, unsigned flags);

// When set, ShowMessage calls this instead of showing a box and returns its
// answer. Only tests set it.
typedef int (*TMessageHook)(void* owner, const char* text, const char* caption, unsigned flags);
extern TMessageHook MessageHook;

// A run host for a run with a user at the screen: questions and notices are
// message boxes owned by `Owner` (none when null).
class TMessageBoxHost : public TRunHost {
public:
  explicit TMessageBoxHost(void* owner = nullptr) : Owner(owner) {}
  bool Ask(const TStr& question, const TStr& caption, bool unattendedAnswer) override;
  bool AskRetry(const TStr& problem, const TStr& caption) override;
  void Tell(TNoticeKind kind, const TStr& text, const TStr& caption) override;
  void* Owner;
};
