// Setup for a user whose name no single code page holds, into a folder of
// another script, under Wine: the session is made for the user "Jürgen田中"
// (the temporary folder and the profile carry the name), the package lists a
// product file "Größe 数据.txt" and shows a Japanese caption and a welcome
// text written in Windows-1252. It installs through the wizard and through
// /S into "C:\Программы\Acme" and is removed again; what it leaves is read
// back with the wide functions, independent of any code page. This program
// runs with UTF-8 as its code page (setup's own manifest), so its narrow
// strings are UTF-8 like setup's.
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "e2e/demo_walk_win.h"
#include "prefix_files_win.h"
#include "process_win.h"

namespace {

const char kUser[] = "J\xC3\xBCrgen\xE7\x94\xB0\xE4\xB8\xAD";  // Jürgen田中
const char kFolder[] = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B\\Acme";  // Программы
const char kExtra[] = "Gr\xC3\xB6\xC3\x9F" "e \xE6\x95\xB0\xE6\x8D\xAE";  // Größe 数据
const char kJapanese[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
const wchar_t kCaption[] = L"Kestrel Notes 1.0 Setup \x65E5\x672C\x8A9E";
const wchar_t kWelcome[] = L"Gr\x00FC\x00DF" L"e aus K\x00F6ln! \x00C4nderungen f\x00FCr alle.";
const char kEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes";

std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  w.resize((size_t)MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), (int)utf8.size(), &w[0], (int)w.size()));
  return w;
}

// The demo with the product file listed, linked in the programs menu and
// named in a UTF-8 script, and the welcome text in Windows-1252 bytes.
std::string BuildAcme(const std::string& dir) {
  std::string tree = dir + "tree";
  CopyTree(SourcePath("examples\\demo"), tree);
  REQUIRE(WriteTextFile(tree + "\\" + kExtra + ".txt", "data\r\n"));
  std::string ini = Text(tree + "\\KESTIN\\kestin.ini");
  ini = Replace(ini, "Caption=Kestrel Notes 1.0 Setup", std::string("Caption=Kestrel Notes 1.0 Setup ") + kJapanese);
  ini = Replace(ini, "2=readme.txt", std::string("2=readme.txt\r\n3=") + kExtra + ".txt");
  ini = Replace(ini, "File2=%InstallPath%readme.txt",
                std::string("File2=%InstallPath%readme.txt\r\nName3=") + kExtra + "\r\nFile3=%InstallPath%\\" + kExtra + ".txt");
  REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
  REQUIRE(WriteTextFile(tree + "\\KESTIN\\welcome.txt", "Gr\xFC\xDF" "e aus K\xF6ln! \xC4nderungen f\xFCr alle.\r\n"));
  std::string exe = dir + "acme-setup.exe";
  REQUIRE(RunAndWait("\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + exe + "\" --stub \"" +
                         BinaryPath("setup.exe") + "\" --dll \"" + BinaryPath("uncab.dll") + "\"",
                     dir, 300000) == 0);
  return exe;
}

struct TWindowSearch {
  DWORD process;
  std::wstring text;
  bool found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM p) {
  TWindowSearch* s = (TWindowSearch*)p;
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t text[1024] = L"";
  if (owner == s->process && GetWindowTextW(w, text, 1024) && std::wstring(text).find(s->text) != std::wstring::npos)
    s->found = true;
  if (!GetParent(w)) EnumChildWindows(w, MatchWindow, p);
  return !s->found;
}

// Whether a window of the process (any depth) shows `text` as its own.
bool Shows(DWORD process, const std::wstring& text) {
  TWindowSearch s{process, text, false};
  EnumWindows(MatchWindow, (LPARAM)&s);
  return s.found;
}

std::wstring RegStringW(const std::string& key, const wchar_t* name) {
  wchar_t value[1024] = L"";
  DWORD size = sizeof value - sizeof(wchar_t);
  HKEY k;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), 0, KEY_READ, &k) != 0) return L"<no key>";
  RegQueryValueExW(k, name, nullptr, nullptr, (BYTE*)value, &size);
  RegCloseKey(k);
  return value;
}

// The file a shortcut points to, or "<none>".
std::wstring LinkTarget(const std::string& link) {
  std::wstring target = L"<none>";
  IShellLinkW* shell = nullptr;
  IPersistFile* file = nullptr;
  wchar_t path[MAX_PATH];
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void**)&shell)) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void**)&file)) &&
      SUCCEEDED(file->Load(Wide(link).c_str(), STGM_READ)) && SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0)))
    target = path;
  if (file) file->Release();
  if (shell) shell->Release();
  return target;
}

// What both roads must leave beyond the demo's own checks: the file under
// its name, and the names unchanged in the uninstall entry and the shortcuts.
std::string CheckNames(const TDemoInstall& in) {
  std::wstring folder = Wide(kFolder);
  if (GetFileAttributesW((folder + L"\\" + Wide(kExtra) + L".txt").c_str()) == INVALID_FILE_ATTRIBUTES)
    return "the product file with the name no code page holds is missing";
  if (RegStringW(kEntryKey, L"UninstallString").find(L" /U \"" + folder + L"\\Uninst.log\"") == std::wstring::npos)
    return "the uninstall entry does not name the log in the folder as given";
  std::string menu = ShellFolderPath(CSIDL_PROGRAMS) + "\\" + in.Group + "\\";
  std::wstring target = LinkTarget(menu + kExtra + ".lnk");
  if (target != folder + L"\\" + Wide(kExtra) + L".txt") {
    char shown[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, target.c_str(), -1, shown, sizeof shown, nullptr, nullptr);
    return std::string("the shortcut to the product file points to ") + shown;
  }
  // The demo's own links join %InstallPath% and the name without a backslash.
  if (LinkTarget(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Kestrel Notes.lnk").find(folder) != 0)
    return "the desktop shortcut is missing or points elsewhere";
  return "";
}

// The /D helper removes the uninstaller file after the uninstaller ended.
std::string WaitRemoved(const TDemoInstall& in) {
  std::string left;
  for (int i = 0; i < 100 && !(left = CheckDemoRemoved(in)).empty(); i++) Sleep(200);
  return left;
}

}  // namespace

TEST_CASE("e2e: a user profile and a destination outside the system's code page, a file name and texts no code page holds") {
  REQUIRE(GetACP() == 65001);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  REQUIRE_MESSAGE(std::wstring(temp).find(Wide(kUser)) != std::wstring::npos,
                  "the session's profile must belong to the user " << kUser);
  CoInitialize(nullptr);
  std::string dir = NewScratchFolder("e2e-unicode");
  std::string exe = BuildAcme(dir);

  SUBCASE("through the wizard") {
    TSetupDriver d;
    d.ShotFolder = BinaryPath("unicode-shots");
    CreateDirectoryA(d.ShotFolder.c_str(), nullptr);
    REQUIRE(d.Start("\"" + exe + "\"", dir));
    REQUIRE_MESSAGE(d.WaitPage("Welcome to Kestrel Notes"), d.Failure);
    d.Shot("welcome");
    CHECK(Shows(d.Process.dwProcessId, kCaption));  // UTF-8 in the script
    CHECK(Shows(d.Process.dwProcessId, kWelcome));  // Windows-1252 in the package
    TDemoChoices c;
    c.Folder = kFolder;
    TDemoInstall in;
    REQUIRE_MESSAGE(WalkDemoInstall(d, c, in), d.Failure);
    CHECK(in.Folder == kFolder);
    CHECK(CheckDemoInstalled(c, in) == "");
    CHECK(CheckNames(in) == "");
    REQUIRE_MESSAGE(RunUninstaller(d, in.UninstallCommand), d.Failure);
    CHECK(WaitRemoved(in) == "");
  }

  SUBCASE("through /S, and removed by /U") {
    std::string log = dir + "silent.log";
    REQUIRE(RunAndWait("\"" + exe + "\" /S \"DIR=" + kFolder + "\" \"USER=Ada Lovelace\" \"LOG=" + log + "\"", dir,
                       120000) == 0);
    TDemoInstall in;
    in.Folder = kFolder;
    in.Group = "Kestrel Notes";
    in.UninstallCommand = ReadRegString(HKEY_LOCAL_MACHINE, kEntryKey, "UninstallString");
    INFO(Text(log));
    CHECK(CheckDemoInstalled(TDemoChoices(), in) == "");
    CHECK(CheckNames(in) == "");
    CHECK(RunAndWait(ReadRegString(HKEY_LOCAL_MACHINE, kEntryKey, "QuietUninstallString"), dir, 120000) == 0);
    CHECK(WaitRemoved(in) == "");
  }
  CoUninitialize();
}
