#include "e2e/demo_walk_win.h"

#include <shlobj.h>

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes";

bool Through(TSetupDriver& d, const std::string& title, const std::string& shot, const std::string& button) {
  if (!d.WaitPage(title)) return false;
  d.Shot(shot);
  return d.Press(button);
}

bool FillUser(TSetupDriver& d, const std::string& email = "") {
  std::vector<HWND> edits = d.Edits();
  if (edits.size() < (email.empty() ? 2u : 3u)) return d.Fail("user page without its fields");
  // Wine may have no registered owner; Next stays disabled until both are set.
  return d.Type(edits[0], "Ada Lovelace") && d.Type(edits[1], "Analytical Engines") &&
         (email.empty() || d.Type(edits[2], email));
}

}  // namespace

bool WalkDemoInstall(TSetupDriver& d, const TDemoChoices& c, TDemoInstall& out) {
  if (!Through(d, "Welcome to Kestrel Notes", "page0-welcome", "&Next >")) return false;
  if (!Through(d, "What's new", "page1-whatsnew", "&Next >")) return false;
  if (!Through(d, "Licence agreement", "page2-licence", "&Yes")) return false;
  if (!d.WaitPage("About you") || !FillUser(d, c.Email)) return false;
  d.Shot("page3-user");
  if (!d.Press("&Next >") || !d.WaitPage("Choose the components")) return false;
  if (!c.Guide && !d.Tick("User's guide", false)) return false;
  d.Shot("page4-components");
  if (!d.Press("&Next >") || !d.WaitPage("Where should Kestrel Notes go?")) return false;
  std::vector<HWND> edits = d.Edits();
  if (edits.empty()) return d.Fail("destination page without its field");
  if (!c.Folder.empty() && !d.Type(edits[0], c.Folder)) return false;
  out.Folder = d.TextOf(edits[0]);
  d.Shot("page5-destination");
  if (c.CheckBack) {
    if (!d.Press("< &Back") || !d.WaitPage("Choose the components")) return false;
    if (!d.Press("< &Back") || !d.WaitPage("About you")) return false;
    edits = d.Edits();
    if (edits.size() < 2 || d.TextOf(edits[0]) != "Ada Lovelace" || d.TextOf(edits[1]) != "Analytical Engines")
      return d.Fail("Back lost the user's entries");
    if (!c.Guide && d.Find("Button", "User's guide") == nullptr) {
      // hidden on this page: looked at again below
    }
    if (!d.Press("&Next >") || !d.WaitPage("Choose the components")) return false;
    HWND guide = d.Find("Button", "User's guide");
    if (!guide || (SendMessageA(guide, BM_GETCHECK, 0, 0) == BST_CHECKED) != c.Guide)
      return d.Fail("Back lost the component choice");
    if (!d.Press("&Next >") || !d.WaitPage("Where should Kestrel Notes go?")) return false;
    edits = d.Edits();
    if (edits.empty() || d.TextOf(edits[0]) != out.Folder) return d.Fail("Back lost the destination");
  }
  if (!d.Press("&Next >") || !d.WaitPage("Choose a program group")) return false;
  edits = d.Edits();
  if (edits.empty()) return d.Fail("program-group page without its field");
  if (!c.Group.empty() && !d.Type(edits[0], c.Group)) return false;
  out.Group = d.TextOf(edits[0]);
  d.Shot("page6-group");
  if (!d.Press("&Install") || !d.Answer("Do you want to install", IDYES)) return false;
  // The install page is up only while the files are copied.
  if (d.WaitFor([&] { return d.Find("Static", "Installing") != nullptr; }, 5000, "the install page")) d.Shot("page7-install");
  d.Failure.clear();
  if (!d.WaitPage("Setup is complete", 60000)) return false;
  out.UninstallCommand = ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  if (c.CloseAtEnd) {
    d.Close();
    return d.WaitExit(30000);
  }
  if (!c.Shortcuts && !(d.Tick("Put a shortcut on the desktop", false) && d.Tick("Put shortcuts in the programs menu", false)))
    return false;
  if (!c.Association && !d.Tick("Open .kstnote files with Kestrel Notes", false)) return false;
  d.Shot("page8-complete");
  if (!d.Press("&Finish")) return false;
  if (c.AtFinish && !c.AtFinish(d)) return false;
  return d.Answer("Kestrel Notes has been installed.", IDOK) && d.WaitExit(30000);
}

bool WalkDemoCancelOnComponents(TSetupDriver& d) {
  if (!Through(d, "Welcome to Kestrel Notes", "", "&Next >")) return false;
  if (!Through(d, "What's new", "", "&Next >")) return false;
  if (!Through(d, "Licence agreement", "", "&Yes")) return false;
  if (!d.WaitPage("About you") || !FillUser(d) || !d.Press("&Next >")) return false;
  if (!d.WaitPage("Choose the components") || !d.Press("Cancel")) return false;
  return d.Answer("Do you really want to leave setup?", IDYES) && d.Answer("Setup was cancelled", IDOK) &&
         d.WaitExit(30000);
}

std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  w.resize((size_t)MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], (int)w.size()) - 1);
  return w;
}

std::wstring LinkTarget(const std::string& link) {
  wchar_t path[MAX_PATH] = L"<none>";
  HRESULT com = CoInitialize(nullptr);
  IShellLinkW* shell = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void**)&shell)) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void**)&file)) && SUCCEEDED(file->Load(Wide(link).c_str(), 0)))
    shell->GetPath(path, MAX_PATH, nullptr, 0);
  if (file) file->Release();
  if (shell) shell->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return path;
}

std::string CheckDemoInstalled(const TDemoChoices& c, const TDemoInstall& in) {
  std::string f = in.Folder + "\\";
  const char* files[] = {"notes.txt", "readme.txt", "samples\\first.kstnote", "Uninst.log"};
  for (const char* name : files)
    if (!PathExists(f + name)) return std::string("missing ") + f + name;
  if (PathExists(f + "docs\\guide.txt") != c.Guide) return "guide installed against the choice";
  if (in.UninstallCommand.find("/U") == std::string::npos) return "no uninstall entry: " + in.UninstallCommand;
  if (ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrel\\Notes", "User") != "Ada Lovelace")
    return "product key without the user's name";
  std::string desktop = ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Kestrel Notes.lnk";
  std::string menu = ShellFolderPath(CSIDL_PROGRAMS) + "\\" + in.Group + "\\Kestrel Notes.lnk";
  if (PathExists(desktop) != c.Shortcuts) return "desktop shortcut against the choice: " + desktop;
  if (PathExists(menu) != c.Shortcuts) return "menu shortcut against the choice: " + menu;
  if (c.Shortcuts && LinkTarget(desktop) != Wide(f + "notes.txt")) return "desktop shortcut to another file";
  if (RegKeyExists(HKEY_CLASSES_ROOT, ".kstnote") != c.Association) return "association against the choice";
  std::string log;
  {
    FILE* fp = fopen((f + "Uninst.log").c_str(), "rb");
    if (!fp) return "log unreadable";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0) log.append(buf, n);
    fclose(fp);
  }
  if (log.find("notes.txt") == std::string::npos) return "log without the files";
  return "";
}

std::string CheckDemoRemoved(const TDemoInstall& in) {
  if (PathExists(in.Folder)) return "folder left: " + in.Folder;
  if (RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) return "uninstall entry left";
  if (RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrel\\Notes")) return "product key left";
  if (RegKeyExists(HKEY_CLASSES_ROOT, ".kstnote")) return "association left";
  if (PathExists(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Kestrel Notes.lnk")) return "desktop shortcut left";
  if (!in.Group.empty() && PathExists(ShellFolderPath(CSIDL_PROGRAMS) + "\\" + in.Group)) return "program group left";
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  if (PathExists(std::string(windows) + "\\KestrelNotesUninst.kvl")) return "uninstaller file left";
  return "";
}
