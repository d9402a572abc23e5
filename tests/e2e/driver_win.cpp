#include "e2e/driver_win.h"

#include <shlobj.h>

#include "image_only_win.h"
#include "ui/ui_test_support.h"

namespace {

std::string Plain(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

std::string ClassOf(HWND w) {
  char name[64] = "";
  GetClassNameA(w, name, sizeof name);
  return name;
}

struct TopSearch {
  DWORD pid;
  const char* cls;
  HWND found;
};

BOOL CALLBACK FindTop(HWND w, LPARAM p) {
  TopSearch* s = reinterpret_cast<TopSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if ((s->pid == 0 || pid == s->pid) && IsWindowVisible(w) && ClassOf(w) == s->cls) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND TopWindow(DWORD pid, const char* cls) {
  TopSearch s = {pid, cls, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

BOOL CALLBACK AddIfVisible(HWND w, LPARAM p) {
  if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

std::vector<HWND> VisibleChildren(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(parent, AddIfVisible, reinterpret_cast<LPARAM>(&all));
  return all;
}

void PumpBriefly(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while ((int)(end - GetTickCount()) > 0) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(20);
  }
}

// A click as the control reports it to its parent.
void PostClick(HWND control) {
  PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), (LPARAM)control);
}

}  // namespace

TSetupDriver::~TSetupDriver() {
  if (Process.hProcess) {
    if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Process.hProcess, 1);
    CloseHandle(Process.hProcess);
    CloseHandle(Process.hThread);
  }
}

bool TSetupDriver::Fail(const std::string& what) {
  if (Failure.empty()) Failure = what;
  return false;
}

bool TSetupDriver::Start(const std::string& commandLine, const std::string& folder) {
  STARTUPINFOA si = {sizeof si};
  std::string cmd = commandLine;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(),
                      &si, &Process))
    return Fail("cannot start " + commandLine);
  return true;
}

HWND TSetupDriver::Background() { return TopWindow(Process.dwProcessId, "TWKTFORM"); }

HWND TSetupDriver::Wizard() {
  HWND bk = Background();
  if (!bk) return nullptr;
  for (HWND w : VisibleChildren(bk))
    if (ClassOf(w) == "TWKTFORM") return w;
  return nullptr;
}

HWND TSetupDriver::Find(const char* cls, const std::string& text) {
  HWND wiz = Wizard();
  if (!wiz) return nullptr;
  for (HWND w : VisibleChildren(wiz))
    if (_stricmp(ClassOf(w).c_str(), cls) == 0 && Plain(TextOf(w)) == Plain(text)) return w;
  return nullptr;
}

std::vector<HWND> TSetupDriver::Edits() {
  std::vector<HWND> out;
  HWND wiz = Wizard();
  if (wiz)
    for (HWND w : VisibleChildren(wiz))
      if (_stricmp(ClassOf(w).c_str(), "Edit") == 0) out.push_back(w);
  return out;
}

std::string TSetupDriver::TextOf(HWND w) {
  char buf[4096] = "";
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, (LPARAM)buf, SMTO_ABORTIFHUNG, 2000, nullptr);
  return buf;
}

bool TSetupDriver::WaitFor(const std::function<bool()>& ready, DWORD ms, const std::string& what) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    if (ready()) return true;
    if ((int)(end - GetTickCount()) <= 0) return Fail("timed out waiting for " + what);
    PumpBriefly(50);
  }
}

bool TSetupDriver::WaitPage(const std::string& title, DWORD ms) {
  bool ok = WaitFor([&] { return Find("Static", title) != nullptr; }, ms, "page \"" + title + "\"");
  PumpBriefly(300);  // let it paint
  return ok;
}

bool TSetupDriver::Press(const std::string& button) {
  HWND b = nullptr;
  if (!WaitFor([&] { return (b = Find("Button", button)) != nullptr && IsWindowEnabled(b); }, 5000,
               "button " + button))
    return false;
  PostClick(b);
  PumpBriefly(200);
  return true;
}

bool TSetupDriver::Tick(const std::string& checkBox, bool on) {
  HWND b = Find("Button", checkBox);
  if (!b) return Fail("no check box " + checkBox);
  if ((SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) PostClick(b);
  return WaitFor([&] { return (SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) == on; }, 3000,
                 "check box " + checkBox);
}

bool TSetupDriver::Type(HWND edit, const std::string& text) {
  if (!edit) return Fail("no field for " + text);
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000, nullptr);
  PumpBriefly(100);
  return TextOf(edit) == text || Fail("field did not take " + text);
}

bool TSetupDriver::Answer(const std::string& part, int id, DWORD ms) {
  std::string seen;
  bool ok = WaitFor(
      [&] {
        HWND box = TopWindow(0, "#32770");
        if (!box) return false;
        std::string text;
        for (HWND w : VisibleChildren(box))
          if (_stricmp(ClassOf(w).c_str(), "Static") == 0) text += TextOf(w);
        seen = text;
        if (text.find(part) == std::string::npos) return false;
        HWND button = GetDlgItem(box, id);
        if (!button) return false;
        Boxes.push_back(TextOf(box) + "|" + text);
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        HANDLE shower = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
        std::string found = shower ? ::CodeOutsideImages(shower) : "cannot open process " + std::to_string(pid) + "\n";
        if (shower) CloseHandle(shower);
        if (!found.empty()) OutsideImages += "at \"" + text + "\":\n" + found;
        if (!ShotFolder.empty()) Shot("box-" + std::to_string(Boxes.size()));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
        return true;
      },
      ms, "a box saying \"" + part + "\"");
  if (!ok) {
    Failure += " (last box: " + seen + ")";
    Shot("timeout");
  }
  PumpBriefly(300);
  return ok;
}

void TSetupDriver::Shot(const std::string& name) {
  if (ShotFolder.empty()) return;
  HWND bk = Background();
  RECT r;
  if (bk && GetWindowRect(bk, &r)) SavePng(ShotFolder + "\\" + name + ".png", CaptureScreen(r));
}

COLORREF TSetupDriver::BackgroundPixel(int x, int y) {
  POINT p = {x, y};
  ClientToScreen(Background(), &p);
  return CaptureScreen(RECT{p.x, p.y, p.x + 1, p.y + 1}).At(0, 0);
}

int TSetupDriver::BackgroundClientHeight() {
  RECT r = {};
  GetClientRect(Background(), &r);
  return r.bottom;
}

bool TSetupDriver::Key(WORD key) {
  GUITHREADINFO info = {sizeof info};
  if (!GetGUIThreadInfo(Process.dwThreadId, &info) || !info.hwndFocus) return Fail("nothing has the focus");
  LPARAM data = 1 | (MapVirtualKeyA(key, 0) << 16);
  PostMessageA(info.hwndFocus, WM_KEYDOWN, key, data);
  PostMessageA(info.hwndFocus, WM_KEYUP, key, data | 0xC0000000);
  PumpBriefly(300);
  return true;
}

HWND TSetupDriver::Focused() {
  GUITHREADINFO info = {sizeof info};
  return GetGUIThreadInfo(Process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

void TSetupDriver::Close() {
  PostMessageA(Background(), WM_CLOSE, 0, 0);
  PumpBriefly(300);
}

bool TSetupDriver::WaitExit(DWORD ms) {
  return WaitForSingleObject(Process.hProcess, ms) == WAIT_OBJECT_0 || Fail("setup did not end");
}

std::string TSetupDriver::CodeOutsideImages() { return ::CodeOutsideImages(Process.hProcess); }

// A 32-bit setup writes into the 32-bit view of the registry: both views are
// looked at, the native one first.
std::string ReadRegString(HKEY root, const std::string& key, const char* name) {
  const REGSAM views[2] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  for (REGSAM view : views) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != 0) continue;
    char buf[2048];
    DWORD size = sizeof buf - 1, type = 0;
    bool ok = RegQueryValueExA(k, name, nullptr, &type, (BYTE*)buf, &size) == 0;
    RegCloseKey(k);
    if (ok) return std::string(buf, size && buf[size - 1] == 0 ? size - 1 : size);
  }
  return "";
}

bool RegKeyExists(HKEY root, const std::string& key) {
  const REGSAM views[2] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  for (REGSAM view : views) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != 0) continue;
    RegCloseKey(k);
    return true;
  }
  return false;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ShellFolderPath(int csidl) {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

bool RunUninstaller(TSetupDriver& d, const std::string& commandLine, const std::string& question,
                    const std::string& done) {
  TSetupDriver u;
  u.ShotFolder = d.ShotFolder;
  if (!u.Start(commandLine, "")) return d.Fail(u.Failure);
  bool ok = u.Answer(question, IDYES, 15000) && u.Answer(done, IDOK, 30000) && u.WaitExit(30000);
  d.Boxes.insert(d.Boxes.end(), u.Boxes.begin(), u.Boxes.end());
  d.OutsideImages += u.OutsideImages;
  if (!ok) return d.Fail("uninstall: " + u.Failure);
  // The removal helper deletes the uninstaller's copy after it has ended.
  PumpBriefly(3000);
  return true;
}
