// The registration post over the system's HTTP library, which is loaded at
// run time so that setup starts and installs where that library is missing.
#pragma once
#include "base/str.h"

// Result codes of HttpPost (and of an upload).
const int kHttpOk = 0;
const int kHttpOpenFailed = -1;
const int kHttpConnectFailed = -2;
const int kHttpRequestFailed = -3;
const int kHttpSendFailed = -4;
const int kHttpReadFailed = -5;  // also: library missing, answer too large

// An answer larger than this ends the read with a failure: a registration
// answer is a few lines, and a server streaming without end must not grow
// setup's memory until it fails.
const unsigned kMaxAnswerBytes = 64 * 1024;
// Connect, send and receive each give up after this long, so a server that
// accepts and then says nothing cannot hold the wizard.
const unsigned kHttpTimeoutMs = 20000;
// The timeout HttpPost sets (kHttpTimeoutMs; the tests shorten it).
extern unsigned HttpTimeoutMs;
// The system library LoadWinInet loads ("wininet.dll"; the tests name one
// without its entry points).
extern const char* HttpLibraryName;

// The code of the last HttpPost.
extern int LastHttpResult;

// Hooks HttpPost calls between its steps, each only when set.
typedef void (*THttpStepHook)();
typedef void (*THttpChunkHook)(unsigned count);
extern THttpStepHook OnOpened, OnConnected, OnSending, OnSent;
extern THttpChunkHook OnChunk;

// Loads the system folder's copy of the library and resolves every entry
// point; false (nothing kept loaded) when the library or any entry is missing.
// Waits for a release still running from the previous attempt first.
bool LoadWinInet();
// Frees the library if it is loaded.
void UnloadWinInet();
// Frees the library on a short-lived idle thread, so the wizard does not wait
// for it; the next LoadWinInet waits for that thread. Falls back to keeping
// the library loaded when no thread can be started.
void ReleaseWinInetLater();
// Waits for that thread, if one still runs: the setup program is unloaded
// once its run returns, and no thread may still be running its code then.
void WaitForWinInetRelease();

// "Win [NT ]<major>.<minor>[ <service pack>]".
TStr OsVersionText();

// Posts `body` (sent byte for byte) to `url` as a URL-encoded form and returns
// the answer, whatever its HTTP status; LastHttpResult tells what failed and
// the answer then holds the failure text. An "https:" address goes over TLS
// only. The library must be loaded. `utf8` adds "; charset=UTF-8" to the
// form's content type: its values are UTF-8, not the system's code page.
// `product` (the product's caption) leads the agent string.
TStr HttpPost(const TStr& url, const TStr& body, const TStr& product, bool utf8 = false);
