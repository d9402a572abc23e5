#include "register/http_post.h"

#include <windows.h>
#include <wininet.h>

#include "base/system_library.h"

int LastHttpResult = 0;
THttpStepHook OnOpened, OnConnected, OnSending, OnSent;
THttpChunkHook OnChunk;
unsigned HttpTimeoutMs = kHttpTimeoutMs;
const char* HttpLibraryName = "wininet.dll";

namespace {

typedef HINTERNET(WINAPI* TInternetOpenA)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
typedef HINTERNET(WINAPI* TInternetConnectA)(HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR,
                                             DWORD, DWORD, DWORD_PTR);
typedef BOOL(WINAPI* TInternetCrackUrlA)(LPCSTR, DWORD, DWORD, LPURL_COMPONENTSA);
typedef HINTERNET(WINAPI* THttpOpenRequestA)(HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*,
                                             DWORD, DWORD_PTR);
typedef BOOL(WINAPI* THttpSendRequestA)(HINTERNET, LPCSTR, DWORD, LPVOID, DWORD);
typedef BOOL(WINAPI* TInternetReadFile)(HINTERNET, LPVOID, DWORD, LPDWORD);
typedef BOOL(WINAPI* TInternetCloseHandle)(HINTERNET);
typedef BOOL(WINAPI* TInternetSetOptionA)(HINTERNET, DWORD, LPVOID, DWORD);

// The entry points, in the order of their names below.
struct TWinInet {
  TInternetOpenA InternetOpenA;
  TInternetConnectA InternetConnectA;
  TInternetCrackUrlA InternetCrackUrlA;
  THttpOpenRequestA HttpOpenRequestA;
  THttpSendRequestA HttpSendRequestA;
  TInternetReadFile InternetReadFile;
  TInternetCloseHandle InternetCloseHandle;
  TInternetSetOptionA InternetSetOptionA;
};
const char* const kEntryNames[] = {"InternetOpenA",    "InternetConnectA", "InternetCrackUrlA",
                                   "HttpOpenRequestA", "HttpSendRequestA", "InternetReadFile",
                                   "InternetCloseHandle", "InternetSetOptionA"};
static_assert(sizeof(TWinInet) == sizeof kEntryNames / sizeof *kEntryNames * sizeof(FARPROC),
              "one entry point per name");

HMODULE g_library;
TWinInet g_api;
// The thread that frees the library after an attempt, until the next load
// has waited for it.
HANDLE g_release;

DWORD WINAPI ReleaseThread(LPVOID) {
  UnloadWinInet();
  return 0;
}

// The handles of one post, closed innermost first.
struct THandles {
  HINTERNET Session = nullptr, Connection = nullptr, Request = nullptr;
  ~THandles() {
    HINTERNET hs[3] = {Request, Connection, Session};
    for (HINTERNET h : hs)
      if (h) g_api.InternetCloseHandle(h);
  }
};

void Call(THttpStepHook hook) {
  if (hook) hook();
}

void SetTimeouts(HINTERNET handle) {
  DWORD timeout = HttpTimeoutMs;
  const DWORD timeouts[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                            INTERNET_OPTION_RECEIVE_TIMEOUT};
  for (DWORD option : timeouts) g_api.InternetSetOptionA(handle, option, &timeout, sizeof timeout);
}

TStr Failed(int code, const char* text) {
  LastHttpResult = code;
  return TStr(text);
}

}  // namespace

void WaitForWinInetRelease() {
  if (!g_release) return;
  WaitForSingleObject(g_release, INFINITE);
  CloseHandle(g_release);
  g_release = nullptr;
}

bool LoadWinInet() {
  WaitForWinInetRelease();
  if (g_library) return true;
  TError error;
  HMODULE lib = static_cast<HMODULE>(LoadSystemLibrary(HttpLibraryName, &error));
  if (!lib) return false;
  FARPROC* slots = reinterpret_cast<FARPROC*>(&g_api);
  for (size_t i = 0; i < sizeof kEntryNames / sizeof *kEntryNames; i++) {
    slots[i] = GetProcAddress(lib, kEntryNames[i]);
    // A library without one of them is not usable at all: never call through
    // a missing entry.
    if (!slots[i]) {
      FreeLibrary(lib);
      return false;
    }
  }
  g_library = lib;
  return true;
}

void UnloadWinInet() {
  if (!g_library) return;
  FreeLibrary(g_library);
  g_library = nullptr;
}

void ReleaseWinInetLater() {
  WaitForWinInetRelease();
  HANDLE t = CreateThread(nullptr, 0, ReleaseThread, nullptr, CREATE_SUSPENDED, nullptr);
  if (!t) return;  // the library simply stays loaded
  SetThreadPriority(t, THREAD_PRIORITY_IDLE);
  g_release = t;
  ResumeThread(t);
}

TStr OsVersionText() {
  OSVERSIONINFOA v;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(&v);
  TStr out = Concat("Win ", v.dwPlatformId == VER_PLATFORM_WIN32_NT ? "NT " : "",
                    IntToStr(v.dwMajorVersion), ".", IntToStr(v.dwMinorVersion));
  if (v.szCSDVersion[0]) out = Concat(out, " ", v.szCSDVersion);
  return out;
}

TStr HttpPost(const TStr& url, const TStr& body, const TStr& product, bool utf8) {
  // Host, path and query of the address; the buffers live on the heap (the
  // release build keeps stack frames small).
  const DWORD kPart = 2048;
  TStr host, path, extra;
  host.resize(kPart);
  path.resize(kPart);
  extra.resize(kPart);
  URL_COMPONENTSA parts;
  ZeroMemory(&parts, sizeof parts);
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host.buffer();
  parts.dwHostNameLength = kPart;
  parts.lpszUrlPath = path.buffer();
  parts.dwUrlPathLength = kPart;
  parts.lpszExtraInfo = extra.buffer();
  parts.dwExtraInfoLength = kPart;
  // An address that does not crack goes on with empty parts and fails at the
  // connection, with that step's message.
  if (g_api.InternetCrackUrlA(url.c_str(), (DWORD)url.size(), 0, &parts)) {
    host.resize(parts.dwHostNameLength);
    path.resize(parts.dwUrlPathLength);
    extra.resize(parts.dwExtraInfoLength);
  } else {
    host.clear();
    path.clear();
    extra.clear();
    parts.nPort = 0;
    parts.nScheme = INTERNET_SCHEME_HTTP;
  }
  // The user's details go to a secure address over TLS or not at all.
  DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;

  THandles h;
  TStr agent = Concat(product, "; ", OsVersionText());
  h.Session = g_api.InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!h.Session) return Failed(kHttpOpenFailed, "InternetOpen failed.");
  SetTimeouts(h.Session);
  Call(OnOpened);

  h.Connection = g_api.InternetConnectA(h.Session, host.c_str(), parts.nPort, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0);
  if (!h.Connection) return Failed(kHttpConnectFailed, "InternetConnect failed.");
  Call(OnConnected);

  TStr object = path + extra;
  h.Request = g_api.HttpOpenRequestA(h.Connection, "POST", object.c_str(), "HTTP/1.1", nullptr,
                                     nullptr, INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES | secure, 0);
  if (!h.Request) return Failed(kHttpRequestFailed, "httpOpenRequest failed.");
  // Not every implementation hands the session's timeouts down to its
  // requests; the request gets its own.
  SetTimeouts(h.Request);

  // The library writes the Host header itself, with the port when the
  // address names one; a second one of our own would make the request
  // invalid, and one without the port would miss a server on another port.
  const char* headers = utf8 ? "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"
                             : "Content-Type: application/x-www-form-urlencoded\r\n";
  Call(OnSending);
  if (!g_api.HttpSendRequestA(h.Request, headers, (DWORD)lstrlenA(headers),
                              const_cast<char*>(body.c_str()), (DWORD)body.size()))
    return Failed(kHttpSendFailed, "httpSendRequest failed.");
  Call(OnSent);

  TStr answer;
  TStr chunk;
  chunk.resize(1024);
  for (;;) {
    DWORD count = 0;
    if (!g_api.InternetReadFile(h.Request, chunk.buffer(), 1023, &count))
      return Failed(kHttpReadFailed, "InternetReadFile failed.");
    if (OnChunk) OnChunk(count);
    if (count == 0) break;
    if (answer.size() + count > kMaxAnswerBytes)
      return Failed(kHttpReadFailed, "InternetReadFile failed: the answer is too large.");
    answer.append(chunk.c_str(), count);
  }
  LastHttpResult = kHttpOk;
  return answer;
}
