// Setup for the user "Jürgen田中" (this session's prefix is made for that
// name) into "C:\Программы\Acme", through the wizard and /S, and removed
// again; read back with the wide calls. Runs with setup's manifest: UTF-8.
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "e2e/demo_walk_win.h"
#include "prefix_files_win.h"
#include "process_win.h"

namespace {

const char kFolder[] = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B\\Acme";
const char kExtra[] = "Gr\xC3\xB6\xC3\x9F" "e \xE6\x95\xB0\xE6\x8D\xAE";  // Größe 数据
const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes";

// The demo with a UTF-8 script (a Japanese caption, the product file listed
// and linked) and its welcome text in Windows-1252.
std::string BuildAcme(const std::string& dir) {
  std::string tree = dir + "tree", extra = std::string(kExtra);
  CopyTree(SourcePath("examples\\demo"), tree);
  REQUIRE(WriteTextFile(tree + "\\" + extra + ".txt", "data\r\n"));
  std::string ini = Replace(Text(tree + "\\KESTIN\\kestin.ini"), "1.0 Setup", "1.0 Setup \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  ini = Replace(ini, "2=readme.txt", "2=readme.txt\r\n3=" + extra + ".txt");
  ini = Replace(ini, "File2=%InstallPath%\\readme.txt", "File2=%InstallPath%\\readme.txt\r\nName3=" + extra + "\r\nFile3=%InstallPath%\\" + extra + ".txt");
  REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
  REQUIRE(WriteTextFile(tree + "\\KESTIN\\welcome.txt", "Gr\xFC\xDF" "e aus K\xF6ln!\r\n"));
  REQUIRE(RunAndWait("\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + dir + "acme.exe\" --stub \"" +
                         BinaryPath("setup.exe") + "\" --dll \"" + BinaryPath("uncab.dll") + "\"", dir, 300000) == 0);
  return dir + "acme.exe";
}

// Whether a window of the package (any depth) shows `text`.
std::wstring g_wanted;
bool g_seen;
BOOL CALLBACK See(HWND w, LPARAM process) {
  DWORD owner = 0;
  wchar_t text[512] = L"";
  GetWindowThreadProcessId(w, &owner);
  if (owner == (DWORD)process && GetWindowTextW(w, text, 512)) g_seen = g_seen || std::wstring(text).find(g_wanted) != std::wstring::npos;
  if (!GetParent(w)) EnumChildWindows(w, See, process);
  return TRUE;
}
bool Shows(const TSetupDriver& d, const wchar_t* text) {
  g_wanted = text;
  g_seen = false;
  EnumWindows(See, d.Process.dwProcessId);
  return g_seen;
}

// Both roads: the demo's own checks, the file under its name, the names
// unchanged in the uninstall entry and the shortcut; then /U removes it all.
void CheckAndRemove(TSetupDriver& d, TDemoInstall& in, const TDemoChoices& c, bool wizard) {
  std::wstring file = Wide(kFolder) + L"\\" + Wide(kExtra) + L".txt";
  CHECK(CheckDemoInstalled(c, in) == "");
  CHECK(GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES);
  wchar_t entry[1024] = L"";
  DWORD size = sizeof entry - 2;
  RegGetValueW(HKEY_LOCAL_MACHINE, Wide(kEntry).c_str(), L"UninstallString", RRF_RT_REG_SZ, nullptr, entry, &size);
  CHECK(std::wstring(entry).find(L" /U \"" + Wide(kFolder) + L"\\Uninst.log\"") != std::wstring::npos);
  CHECK(LinkTarget(ShellFolderPath(CSIDL_PROGRAMS) + "\\" + in.Group + "\\" + kExtra + ".lnk") == file);
  if (wizard) REQUIRE_MESSAGE(RunUninstaller(d, in.UninstallCommand), d.Failure);
  else CHECK(RunAndWait(ReadRegString(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString"), "", 120000) == 0);
  std::string left;
  for (int i = 0; i < 100 && !(left = CheckDemoRemoved(in)).empty(); i++) Sleep(200);  // the /D helper's last step
  CHECK(left == "");
}

}  // namespace

TEST_CASE("e2e: a profile, a destination, a file name and texts outside the system's code page") {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  REQUIRE(std::wstring(temp).find(L"J\x00FCrgen\x7530\x4E2D") != std::wstring::npos);
  REQUIRE(SUCCEEDED(CoInitialize(nullptr)));
  std::string dir = NewScratchFolder("e2e-unicode");
  std::string exe = BuildAcme(dir);
  TDemoChoices c;
  TDemoInstall in{kFolder, "Kestrel Notes", ""};
  SUBCASE("through the wizard") {
    TSetupDriver d;
    d.ShotFolder = BinaryPath("unicode-shots");
    CreateDirectoryA(d.ShotFolder.c_str(), nullptr);
    REQUIRE(d.Start("\"" + exe + "\"", dir));
    REQUIRE_MESSAGE(d.WaitPage("Welcome to Kestrel Notes"), d.Failure);
    CHECK(Shows(d, L"Kestrel Notes 1.0 Setup \x65E5\x672C\x8A9E"));
    CHECK(Shows(d, L"Gr\x00FC\x00DF" L"e aus K\x00F6ln!"));
    c.Folder = kFolder;
    REQUIRE_MESSAGE(WalkDemoInstall(d, c, in), d.Failure);
    CHECK(in.Folder == kFolder);
    CheckAndRemove(d, in, c, true);
  }
  SUBCASE("through /S") {
    TSetupDriver d;
    REQUIRE(RunAndWait("\"" + exe + "\" /S \"DIR=" + kFolder + "\" \"USER=Ada Lovelace\"", dir, 120000) == 0);
    in.UninstallCommand = ReadRegString(HKEY_LOCAL_MACHINE, kEntry, "UninstallString");
    CheckAndRemove(d, in, c, false);
  }
  CoUninitialize();
}
