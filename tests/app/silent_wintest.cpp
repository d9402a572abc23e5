// The unattended mode of the real setup program (the release setup.exe) under
// Wine: a package made by kestin-pack from the engine's test product is
// installed with /S and NAME=value answers, checked on disk, in the registry
// and in the log, and removed again through its entry's QuietUninstallString.
#include <doctest/doctest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "process_win.h"
#include "prefix_files_win.h"
#include "test_files.h"

namespace {

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, buf, csidl, FALSE);
  return buf;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The engine's test product packed with the real setup.exe; `tag` keeps the
// names that live outside the scratch folder (entry, uninstaller, system
// file, registry key) apart between cases. `extra` generated files make a
// fourth option (extra\f<n>.txt); `findPath` names the entry of the product
// whose folder this one goes into.
struct Package {
  std::string tag, dir, exe, entryKey, control, productKey;

  explicit Package(const std::string& tag, int extra = 0, const std::string& findPath = "") : tag(tag) {
    dir = NewScratchFolder("silent-" + tag);
    std::string tree = dir + "tree";
    CopyTree(SourcePath("tests\\install\\fixtures\\three_options"), tree);
    control = "kestin_silent_" + tag + ".dll";
    std::string ini = Text(tree + "\\KESTIN\\kestin.ini");
    ini = Replace(ini, "kestin_regtest.dll", control);
    ini = Replace(ini, "SectionName=KestinEngineTest", "SectionName=KestinSilent_" + tag);
    ini = Replace(ini, "UninstallerName=KestinEngTest.kvl", "UninstallerName=KestinSilent_" + tag + ".kvl");
    ini = Replace(ini, "Section=\\Software\\KestinEngineTest", "Section=\\Software\\KestinSilent_" + tag);
    ini = Replace(ini, "Group=Kestin Engine Test", "Group=Kestin Silent " + tag);
    ini = Replace(ini, "Ext1=.kstengtest", "Ext1=.kstsil" + tag);
    // The desktop is shared with the other areas' tests running beside these.
    ini = Replace(ini, "Name1=Engine Test", "Name1=Kestin Silent " + tag);
    ini = Replace(ini, "Ext2=.kstengtxt", "Ext2=.kstsiltxt" + tag);
    ini = Replace(ini, "Type2=KestinEngineTest.Text", "Type2=KestinSilentText." + tag);
    ini = Replace(ini, "Type1=KestinEngineTest.Document", "Type1=KestinSilent." + tag);
    std::string list = "\n[ExtraFiles]\n";
    CreateDirectoryA((tree + "\\extra").c_str(), nullptr);
    for (int i = 0; i < extra; i++) {
      list += std::to_string(i + 1) + "=extra\\f" + std::to_string(i) + ".txt\n";
      REQUIRE(WriteTextFile(tree + "\\extra\\f" + std::to_string(i) + ".txt", std::to_string(i)));
    }
    if (extra) ini = Replace(ini, "Option3_Reg=ControlFiles", "Option3_Reg=ControlFiles\nOption4_Text=Extra\nOption4_List=ExtraFiles") + list;
    if (!findPath.empty()) ini += "\n[Path]\nFindPath=" + findPath + "\n";
    REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
    REQUIRE(CopyFileA(BinaryPath("tests\\kestin_regtest.dll").c_str(), (tree + "\\" + control).c_str(), FALSE));
    exe = dir + "setup.exe";
    std::string cmd = "\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + exe +
                      "\" --stub \"" + BinaryPath("setup.exe") + "\" --dll \"" + BinaryPath("uncab.dll") + "\"";
    REQUIRE(RunAndWait(cmd, dir) == 0);
    entryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestinSilent_" + tag;
    productKey = "Software\\KestinSilent_" + tag;
  }
  int Setup(const std::string& arguments) const { return RunAndWait("\"" + exe + "\" " + arguments, dir); }
  bool Installed() const { return RegString(HKEY_LOCAL_MACHINE, entryKey, "DisplayName") != "<no key>"; }
};

// Runs the entry's quiet command, with `extra` behind it, and waits for the
// removal helper to take the uninstaller file away.
int QuietUninstall(const Package& p, const std::string& extra) {
  std::string quiet = RegString(HKEY_LOCAL_MACHINE, p.entryKey, "QuietUninstallString");
  REQUIRE(quiet != "<no value>");
  REQUIRE(quiet[0] == '"');
  std::string uninstaller = quiet.substr(1, quiet.find("\" /U ") - 1);
  REQUIRE(Exists(uninstaller));
  int code = RunAndWait(quiet + extra, p.dir);
  for (int i = 0; i < 100 && Exists(uninstaller); i++) Sleep(100);
  CHECK_FALSE(Exists(uninstaller));
  return code;
}

}  // namespace

TEST_CASE("an unattended install takes every answer from the command line, and its quiet uninstall removes it") {
  Package p("all");
  std::string dest = p.dir + "Program Files\\Acme";
  std::string log = p.dir + "install.log", ulog = p.dir + "uninstall.log";
  std::string sys = ShellFolder(CSIDL_SYSTEM) + "\\";
  int code = p.Setup("/S DIR=\"" + dest + "\" COMPONENTS=1,3 GROUP=\"Acme Tools\" USER=Ada \"COMPANY=Engines Ltd\" LOG=\"" +
                     log + "\"");
  std::string l = Text(log);
  INFO(l);
  REQUIRE(code == 0);

  CHECK(Exists(dest + "\\engtest.txt"));
  CHECK(Exists(dest + "\\docs\\notes.txt"));
  CHECK_FALSE(Exists(dest + "\\docs\\guide.txt"));  // option 2 was not asked for
  CHECK(Exists(sys + p.control));
  CHECK(RegString(HKEY_CURRENT_USER, p.productKey, "Owner") == "Ada");
  CHECK(RegString(HKEY_CURRENT_USER, p.productKey, "Company") == "Engines Ltd");
  std::string command = RegString(HKEY_LOCAL_MACHINE, p.entryKey, "UninstallString");
  CHECK(Contains(command, " /U \"" + dest + "\\Uninst.log\""));
  CHECK(RegString(HKEY_LOCAL_MACHINE, p.entryKey, "QuietUninstallString") == command + " /S");
  std::string desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Kestin Silent all.lnk";
  std::string menuLink = ShellFolder(CSIDL_PROGRAMS) + "\\Acme Tools\\Tools\\Engine Notes.lnk";
  CHECK(Exists(desktopLink));
  CHECK(Exists(menuLink));
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstsilall", nullptr) == "KestinSilent.all");

  // One line per action, in the order they happened.
  CHECK(Contains(l, "file written: " + dest + "\\engtest.txt\r\n"));
  CHECK(Contains(l, "file written: " + sys + p.control + "\r\n"));
  CHECK(Contains(l, "file registered: " + sys + p.control + "\r\n"));
  CHECK(Contains(l, "key set: HKEY_LOCAL_MACHINE\\" + p.entryKey + "\r\n"));
  CHECK(Contains(l, "key set: HKEY_CURRENT_USER\\" + p.productKey + "\r\n"));
  CHECK(Contains(l, "shortcut made: " + desktopLink + "\r\n"));
  CHECK(Contains(l, "shortcut made: " + menuLink + "\r\n"));
  CHECK(Contains(l, "key set: HKEY_CLASSES_ROOT\\KestinSilent.all\\shell\\Open with engine test\r\n"));
  CHECK(l.find("file written: " + dest) < l.find("key set: HKEY_LOCAL_MACHINE"));
  CHECK(l.substr(l.size() - 11) == "installed\r\n");
  CHECK_FALSE(Contains(l, "FAILED"));

  // A file the user added stays, and with it the folder.
  REQUIRE(WriteTextFile(dest + "\\docs\\mine.txt", "user data"));
  CHECK(QuietUninstall(p, " LOG=\"" + ulog + "\"") == 0);
  std::string u = Text(ulog);
  INFO(u);
  CHECK(Text(dest + "\\docs\\mine.txt") == "user data");
  CHECK_FALSE(Exists(dest + "\\engtest.txt"));
  CHECK_FALSE(Exists(dest + "\\docs\\notes.txt"));
  CHECK_FALSE(Exists(dest + "\\Uninst.log"));
  CHECK_FALSE(Exists(sys + p.control));
  CHECK_FALSE(Exists(desktopLink));
  CHECK_FALSE(Exists(menuLink));
  CHECK_FALSE(p.Installed());
  CHECK(RegString(HKEY_CURRENT_USER, p.productKey, "Owner") == "<no key>");
  CHECK(RegString(HKEY_CLASSES_ROOT, "KestinSilent.all\\shell\\Open with engine test", nullptr) == "<no key>");
  CHECK(Contains(u, "removed: " + dest + "\\engtest.txt\r\n"));
  CHECK(Contains(u, "unregistered: " + sys + p.control + "\r\nremoved: " + sys + p.control + "\r\n"));
  CHECK(Contains(u, "removed: HKEY_LOCAL_MACHINE\\" + p.entryKey + "\r\n"));
  CHECK(Contains(u, "removed: " + desktopLink + "\r\n"));
  CHECK_FALSE(Contains(u, "FAILED"));
  // The log's question is answered for the administrator, and said so.
  CHECK(Contains(u, "question: Warning: Remove the engine test? - answered Yes\r\n"));
}

TEST_CASE("without COMPONENTS every option goes in; NOSHORTCUTS and NOASSOC leave those out; no LOG, no log") {
  Package p("bare");
  std::string dest = p.dir + "Acme";
  REQUIRE(p.Setup("/s DIR=" + dest + " NOSHORTCUTS NOASSOC") == 0);
  CHECK(Exists(dest + "\\docs\\guide.txt"));
  CHECK(Exists(dest + "\\engtest.txt"));
  CHECK_FALSE(Exists(ShellFolder(CSIDL_PROGRAMS) + "\\Kestin Silent bare"));
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstsilbare", nullptr) == "<no key>");
  // Name and company: the system's registered owner, as the wizard proposes.
  CHECK(RegString(HKEY_CURRENT_USER, p.productKey, "Owner") != "<no key>");
  // An edited log is refused whole: exit code 1, the reason in LOG=, nothing removed.
  std::string ulog = p.dir + "uninstall.log", genuine = Text(dest + "\\Uninst.log");
  REQUIRE(WriteTextFile(dest + "\\Uninst.log", genuine + "[SysFiles]\r\nFile1=..\\win.ini\r\n"));
  CHECK(RunAndWait(RegString(HKEY_LOCAL_MACHINE, p.entryKey, "QuietUninstallString") + " LOG=\"" + ulog + "\"", p.dir) == 1);
  CHECK(Contains(Text(ulog), "FAILED refused: This uninstall log does not match the record Setup kept"));
  CHECK(Exists(dest + "\\engtest.txt"));
  REQUIRE(WriteTextFile(dest + "\\Uninst.log", genuine));
  CHECK(QuietUninstall(p, "") == 0);
  CHECK_FALSE(Exists(dest));
}

TEST_CASE("a destination that cannot be written is refused with exit code 1 and nothing changed") {
  Package p("locked");
  std::string log = p.dir + "install.log";
  // Below a file: no folder can ever be made there.
  REQUIRE(WriteTextFile(p.dir + "afile", "x"));
  std::string dest = p.dir + "afile\\Acme";
  CHECK(p.Setup("/S DIR=\"" + dest + "\" LOG=\"" + log + "\"") == 1);
  std::string l = Text(log);
  CHECK(Contains(l, "FAILED refused: The destination folder cannot be created or written:  " + p.dir + "afile"));
  CHECK_FALSE(p.Installed());
  CHECK(RegString(HKEY_CURRENT_USER, p.productKey, "Owner") == "<no key>");
  CHECK_FALSE(Exists(ShellFolder(CSIDL_SYSTEM) + "\\" + p.control));
}

TEST_CASE("a run that fails half-way is rolled back and ends with exit code 2") {
  Package p("fails");
  std::string dest = p.dir + "Acme", log = p.dir + "install.log";
  // A folder where the first file is to be written: the extraction fails.
  REQUIRE(CreateDirectoryA(dest.c_str(), nullptr));
  REQUIRE(CreateDirectoryA((dest + "\\engtest.txt").c_str(), nullptr));
  CHECK(p.Setup("/S DIR=\"" + dest + "\" LOG=\"" + log + "\"") == 2);
  std::string l = Text(log);
  INFO(l);
  CHECK(Contains(l, "FAILED install: "));
  CHECK(Contains(l, "removed: " + dest + "\\Uninst.log\r\n"));
  CHECK_FALSE(p.Installed());
  CHECK_FALSE(Exists(dest + "\\docs"));
  CHECK(Exists(dest + "\\engtest.txt"));  // the folder that was there stays
  CHECK_FALSE(Exists(ShellFolder(CSIDL_SYSTEM) + "\\" + p.control));
}

TEST_CASE("bad arguments end with exit code 1 and a log line before anything changes") {
  Package p("args");
  std::string log = p.dir + "install.log";
  std::string dest = p.dir + "Acme";
  // link: LOG= at a hard link, a file link or a link leading nowhere, which
  // is refused before anything is written through it.
  struct Case {
    std::string args, line;
    int link = 0;
  } cases[] = {
      {"DIR=\"" + dest + "\" SPEED=fast", "FAILED refused: Unknown argument: SPEED=fast"},
      {"DIR=\"" + dest + "\" COMPONENTS=4", "FAILED refused: COMPONENTS names option 4; this package has 3"},
      {"DIR=Acme", "FAILED refused: DIR must be a full folder path"},
      {"DIR=\"" + dest + "\" COMPONENTS=1-3", "FAILED refused: COMPONENTS must be option numbers"},
      {"DIR=\"" + dest + "\" GROUP=..\\..\\Startup", "FAILED refused: GROUP must be a name below"},
      {"DIR=\"" + dest + "\"", "", 1}, {"DIR=\"" + dest + "\"", "", 2}, {"DIR=\"" + dest + "\"", "", 3},
  };
  for (const Case& c : cases) {
    // Names of their own: deleting a link here may reach what it leads to.
    std::string at = c.link ? log + std::to_string(c.link) : log, victim = at + ".victim";
    DeleteFileA(log.c_str());
    CAPTURE(c.args);
    CAPTURE(c.link);
    if (c.link == 1 || c.link == 2) REQUIRE(WriteTextFile(victim, "the victim's own text"));
    if (c.link && !(c.link == 1 ? CreateHardLinkA(at.c_str(), victim.c_str(), nullptr) != 0 : MakeSymbolicLink(victim, at))) {
      MESSAGE("skipped: this system makes no such link");
      continue;
    }
    CHECK(p.Setup("/S " + c.args + " LOG=\"" + at + "\"") == 1);
    if (!c.link) CHECK(Text(log).find(c.line) == 0);
    if (c.link) CHECK(Exists(victim) == (c.link != 3));  // nothing made behind a link leading nowhere
    if (c.link && c.link != 3) CHECK(Text(victim) == "the victim's own text");
    CHECK_FALSE(Exists(dest));
    CHECK_FALSE(p.Installed());
  }
  // The quiet uninstall of a log that is not there changes nothing either.
  CHECK(RunAndWait("\"" + p.exe + "\" /U \"" + dest + "\\Uninst.log\" /S LOG=\"" + log + "\"", p.dir) == 1);
  CHECK(Contains(Text(log), "FAILED refused: no uninstall log: "));
}

namespace {

// What a row may change, one line per file, folder, key or value (with a
// file's content, a value's data); the machine is whole when the lines after
// a row are those before it.
struct Snapshot {
  std::set<std::string> lines;

  // The entries of `folder` that match `pattern`, with everything below them.
  // A log's content is left out: merging it is the install's own business.
  void Files(const std::string& folder, const std::string& pattern, bool contents) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      std::string name = fd.cFileName, path = folder + "\\" + name;
      if (name == "." || name == "..") continue;
      bool dir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      bool log = name.size() > 4 && name.substr(name.size() - 4) == ".log";
      lines.insert(dir ? path + "\\" : contents && !log ? path + " = " + Text(path) : path);
      if (dir) Files(path, "*", contents);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  void Key(HKEY root, const std::string& shown, const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != 0) return;
    lines.insert(shown + path + "\\");
    char name[256];
    BYTE data[2048];
    for (DWORD i = 0, n = sizeof name, size = sizeof data;
         RegEnumValueA(k, i, name, &n, nullptr, nullptr, data, &size) == 0; i++, n = sizeof name, size = sizeof data)
      lines.insert(shown + path + "\\" + name + " = " + std::string((char*)data, size - (size && !data[size - 1])));
    for (DWORD i = 0; RegEnumKeyA(k, i, name, sizeof name) == 0; i++) Key(root, shown, path + "\\" + name);
    RegCloseKey(k);
  }
};

// Everything the packages touch: the destination's parent `root`, their
// files in the system and Windows folders (uninstallers, log records, an
// uninstaller's half-copied temporary file), shortcuts and registry keys.
Snapshot Take(const std::string& root, const std::vector<const Package*>& packages) {
  Snapshot s;
  s.Files(root, "*", true);
  s.Files(ShellFolder(CSIDL_WINDOWS), "Kestin*", false);
  s.Files(ShellFolder(CSIDL_WINDOWS), "kst*.tmp", false);
  for (const Package* p : packages) {
    s.Files(ShellFolder(CSIDL_SYSTEM), p->control, false);
    s.Files(ShellFolder(CSIDL_DESKTOPDIRECTORY), "Kestin Silent " + p->tag + ".lnk", false);
    s.Files(ShellFolder(CSIDL_PROGRAMS), "Kestin Silent " + p->tag, false);
    s.Key(HKEY_CURRENT_USER, "HKCU\\", p->productKey);
    s.Key(HKEY_LOCAL_MACHINE, "HKLM\\", p->entryKey);
    for (const char* k : {".kstsil", ".kstsiltxt", "KestinSilent.", "KestinSilentText."})
      s.Key(HKEY_CLASSES_ROOT, "HKCR\\", k + p->tag);
  }
  return s;
}

// Says the first differences (a killed run may leave hundreds of files).
void CheckSame(const Snapshot& before, const Snapshot& after) {
  std::string d;
  int n = 0;
  for (const std::string& l : before.lines) d += after.lines.count(l) || ++n > 20 ? "" : "gone: " + l + "\n";
  for (const std::string& l : after.lines) d += before.lines.count(l) || ++n > 20 ? "" : "left: " + l + "\n";
  CHECK_MESSAGE(n == 0, d, n > 20 ? "and " + std::to_string(n - 20) + " more" : "");
}

// Starts the install and kills it the moment `reached` holds; false when it
// ended by itself first.
bool KillWhen(const Package& p, std::string command, const std::function<bool()>& reached) {
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi;
  command = "\"" + p.exe + "\" " + command;
  REQUIRE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, p.dir.c_str(), &si, &pi));
  while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT && !reached()) Sleep(1);
  DWORD code = TerminateProcess(pi.hProcess, 99) && !WaitForSingleObject(pi.hProcess, 30000);
  if (code) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code == 99;
}

enum Step { kInstall, kAddOn, kHeldRepair, kKillAtLog, kKillAmidFiles, kKillAtEntry, kKillAtProductKey, kKillAmidRepair };
struct Row {
  const char* name;
  std::vector<Step> steps;
};
const Row kRows[] = {
    {"install", {kInstall}},
    {"install, repair", {kInstall, kInstall}},
    {"killed once its log is there", {kKillAtLog}},
    {"killed amid its files", {kKillAmidFiles}},
    {"killed once its entry is there", {kKillAtEntry}},
    {"killed once its product key is there", {kKillAtProductKey}},
    {"install, failed repair of a held file", {kInstall, kHeldRepair}},
    {"install, add-on into its folder", {kInstall, kAddOn}},
    {"install, killed amid its repair", {kInstall, kKillAmidRepair}},
};

// Runs the row's steps into a folder holding a file of the user's, then
// uninstalls through each entry left (or the log, when there is none) and
// compares the machine with the snapshot taken before the first step.
void RunRow(const Row& row, const std::string& tag) {
  bool kills = row.steps.back() >= kKillAtLog, addOn = row.steps.back() == kAddOn;
  Package base(tag, kills ? 300 : 0);
  std::unique_ptr<Package> extra(addOn ? new Package(tag + "a", 3, "KestinSilent_" + tag) : nullptr);
  std::vector<const Package*> packages{&base};
  if (extra) packages.push_back(extra.get());
  std::string root = base.dir + "Programs", dest = root + "\\Acme", log = dest + "\\Uninst.log";
  std::string runLog = base.dir + "run.log", logArg = " LOG=\"" + runLog + "\"";
  std::string install = "/S DIR=\"" + dest + "\"" + logArg;
  REQUIRE(CreateDirectoryA(root.c_str(), nullptr));
  REQUIRE(CreateDirectoryA(dest.c_str(), nullptr));
  REQUIRE(WriteTextFile(dest + "\\mine.txt", "user data"));
  Snapshot before = Take(root, packages);
  std::function<bool()> reached[] = {
      [&] { return Exists(log); },
      [&] { Snapshot s; s.Files(dest + "\\extra", "*", false); return s.lines.size() >= 150; },
      [&] { return base.Installed(); },
      [&] { return RegString(HKEY_CURRENT_USER, base.productKey, "Owner") != "<no key>"; },
      [&] { Snapshot s; s.Files(dest + "\\extra", "*.kestin-old", false); return s.lines.size() >= 50; }};
  for (Step step : row.steps) {
    // Before a failed repair, the install leaves out option 2, whose file
    // the repair then adds ahead of the held one: its rollback removes it.
    if (step == kInstall) CHECK(base.Setup(install + (row.steps.back() == kHeldRepair ? " COMPONENTS=1,3" : "")) == 0);
    if (step == kAddOn) CHECK(extra->Setup("/S" + logArg) == 0);
    if (step == kAddOn) CHECK(Exists(dest + "\\extra\\f2.txt"));
    if (step >= kKillAtLog && !KillWhen(base, install, reached[step - kKillAtLog])) MESSAGE("the run ended first");
    if (step == kHeldRepair) {
      // The repair replaces the user's edit before it reaches the held file
      // (the cabinet holds them in this order); its rollback brings the edit back.
      std::string held = dest + "\\engtest.txt";
      REQUIRE(WriteTextFile(dest + "\\docs\\notes.txt", "edited"));
      Snapshot installed = Take(root, packages);
      HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      REQUIRE(h != INVALID_HANDLE_VALUE);
      size_t from = Text(runLog).size();
      CHECK(base.Setup(install) == 2);
      CHECK(Contains(Text(runLog).substr(from), held));
      CloseHandle(h);
      CheckSame(installed, Take(root, packages));
    }
  }
  bool uninstalled = false;
  for (const Package* p : packages) {
    if (RegString(HKEY_LOCAL_MACHINE, p->entryKey, "QuietUninstallString")[0] != '"') continue;
    CHECK((QuietUninstall(*p, logArg) == 0 || uninstalled));  // the first one removes all
    uninstalled = true;
  }
  if (!uninstalled && Exists(log)) CHECK(base.Setup("/U \"" + log + "\" /S" + logArg) == 0);
  CheckSame(before, Take(root, packages));
}

}  // namespace

TEST_CASE("after a repair, an add-on, a failed run or a killed one, the uninstall leaves the machine as it was") {
  for (size_t i = 0; i < sizeof kRows / sizeof kRows[0]; i++) {
    SUBCASE(kRows[i].name) { RunRow(kRows[i], "r" + std::to_string(i)); }
  }
}
