// The setup program end to end under Wine: packages built by kestin-pack from
// examples/demo are started as a user would start them, walked through by
// the driver with real window messages, and what they leave is checked with
// the system's own calls, then removed through the uninstall entry.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cab_builder.h"
#include "e2e/demo_walk_win.h"
#include "image_only_win.h"
#include "package_image.h"
#include "process_win.h"
#include "prefix_files_win.h"
#include "test_files.h"

namespace {

// Every file below `folder` as a cabinet entry named by its path below `root`.
void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<TCabEntry>* files) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  REQUIRE(h != INVALID_HANDLE_VALUE);
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(folder + "\\" + name, prefix + name + "\\", files);
    } else {
      TCabEntry e;
      e.name = prefix + name;
      e.data = ReadWholeFile(folder + "\\" + name);
      files->push_back(e);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

// The demo package, with `scriptAddition` put into its script and, when
// `manyFiles` is set, that many more small files in the first option (an
// install that takes long enough to be cancelled: every file is a log entry).
std::string BuildDemo(const std::string& tag, const std::string& scriptAddition = "", int manyFiles = 0,
                      bool unchecked = false,
                      const std::vector<std::pair<std::string, std::string>>& extraFiles = {}) {
  std::string dir = NewScratchFolder("e2e-" + tag);
  std::string tree = dir + "tree";
  CopyTree(SourcePath("examples\\demo"), tree);
  for (auto& f : extraFiles) REQUIRE(WriteTextFile(tree + "\\" + f.first, f.second));
  std::string ini = Text(tree + "\\KESTIN\\kestin.ini");
  // Keys for a section the script has go into that section.
  size_t header = scriptAddition.find(']');
  size_t at = header == std::string::npos ? std::string::npos : ini.find(scriptAddition.substr(0, header + 1));
  if (at == std::string::npos) ini += scriptAddition;
  else ini.insert(ini.find('\n', at) + 1, scriptAddition.substr(scriptAddition.find('\n') + 1));
  if (manyFiles) {
    CreateDirectoryA((tree + "\\many").c_str(), nullptr);
    std::string list;
    for (int i = 0; i < manyFiles; i++) {
      std::string name = "many\\file" + std::to_string(i) + ".txt";
      REQUIRE(WriteTextFile(tree + "\\" + name, "note " + std::to_string(i) + "\r\n"));
      list += "\r\n" + std::to_string(i + 3) + "=" + name;
    }
    size_t entry = ini.find("2=readme.txt");
    REQUIRE(entry != std::string::npos);
    ini.insert(entry + 12, list);
  }
  REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
  std::string exe = dir + "demo-setup.exe";
  if (unchecked) {
    // Put together without kestin-pack, whose own check refuses such a
    // script: what is tested is the setup program's refusal.
    std::vector<TCabEntry> files;
    CollectFiles(tree, "", &files);
    TPackageParts parts;
    parts.stub = ReadWholeFile(BinaryPath("setup.exe"));
    parts.library = ReadWholeFile(BinaryPath("uncab.dll"));
    parts.cabinet = BuildStoredCabinet(files);
    std::vector<uint8_t> pkg, cab;
    std::string err;
    REQUIRE_MESSAGE(AssemblePackage(parts, &pkg, &cab, &err), err);
    REQUIRE(WriteWholeFile(exe, pkg));
    return exe;
  }
  std::string cmd = "\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + exe + "\" --stub \"" +
                    BinaryPath("setup.exe") + "\" --dll \"" + BinaryPath("uncab.dll") + "\"";
  REQUIRE(RunAndWait(cmd, dir, 300000) == 0);
  return exe;
}

void Start(TSetupDriver& d, const std::string& exe) {
  REQUIRE(d.Start("\"" + exe + "\"", exe.substr(0, exe.find_last_of('\\') + 1)));
}

void InstallCheckUninstall(const TDemoChoices& c, const std::string& tag) {
  std::string exe = BuildDemo(tag);
  TSetupDriver d;
  Start(d, exe);
  TDemoInstall in;
  INFO(d.Failure);
  REQUIRE_MESSAGE(WalkDemoInstall(d, c, in), d.Failure);
  CHECK(CheckDemoInstalled(c, in) == "");
  REQUIRE_MESSAGE(RunUninstaller(d, in.UninstallCommand), d.Failure);
  CHECK(CheckDemoRemoved(in) == "");
  // The package, the uninstaller and its removal helper, each at its boxes.
  CHECK(d.OutsideImages == "");
}

const char kDefaultFolder[] = "C:\\Program Files\\Kestrel Notes";

std::string Hex(unsigned long long v) {
  char s[24];
  snprintf(s, sizeof s, "0x%llx", v);
  return s;
}

DWORD WINAPI WaitForRelease(void* event) { return WaitForSingleObject(event, 20000); }

}  // namespace

TEST_CASE("e2e: code outside image files is found: executable private memory, a thread starting outside images") {
  // This test program as the system loaded it is clean: what the system
  // itself puts into a process is not taken for code of the program's.
  CHECK(CodeOutsideImages(GetCurrentProcess()) == "");

  // A thread that starts on a page of its own, which sends it on into this
  // program (mov eax/rax, WaitForRelease; jmp eax/rax), so that it ends by
  // itself: 32-bit Wine 8 now and then crashes when a thread is terminated.
  DWORD(WINAPI * target)(void*) = WaitForRelease;
  std::string code = sizeof target == 8 ? "\x48\xB8" : "\xB8";
  code.append((const char*)&target, sizeof target).append("\xFF\xE0");
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  REQUIRE(page);
  memcpy(page, code.data(), code.size());
  DWORD old = 0, id = 0;
  REQUIRE(VirtualProtect(page, 4096, PAGE_EXECUTE_READ, &old));
  FlushInstructionCache(GetCurrentProcess(), page, 4096);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, (LPTHREAD_START_ROUTINE)page, release, 0, &id);
  REQUIRE(thread);
  std::string found = CodeOutsideImages(GetCurrentProcess());
  SetEvent(release);
  CHECK(WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(release);
  VirtualFree(page, 0, MEM_RELEASE);
  std::string at = Hex((uintptr_t)page), where = ": MEM_PRIVATE PAGE_EXECUTE_READ, allocated at " + at + "\n";
  CHECK(found == "executable region " + at + " +0x1000" + where + "thread " + Hex(id) + " starts at " + at + where);
  CHECK(CodeOutsideImages(GetCurrentProcess()) == "");
}

TEST_CASE("e2e: the background's gradient fades each channel from UpperColor to LowerColor") {
  // The demo's colours: $02A05A1E at the top, $02200A00 at the bottom.
  std::string exe = BuildDemo("gradient");
  TSetupDriver d;
  Start(d, exe);
  REQUIRE(d.WaitPage("Welcome to Kestrel Notes"));
  // With the wizard up, all of the program has been loaded.
  CHECK(d.CodeOutsideImages() == "");
  int h = d.BackgroundClientHeight();
  REQUIRE(h >= 510);  // 255 bands of two rows and a remainder
  CHECK(d.BackgroundPixel(3, 0) == RGB(0x1E, 0x5A, 0xA0));
  // Band 150 of 255: each channel moved by round(150 * delta / 254), the
  // falling ones downwards.
  CHECK(d.BackgroundPixel(3, 300) == RGB(30 - 18, 90 - 47, 160 - 76));
  CHECK(d.BackgroundPixel(3, h - 1) == RGB(0x00, 0x0A, 0x20));
  REQUIRE(d.Press("Cancel"));
  REQUIRE(d.Answer("Do you really want to leave setup?", IDYES));
  REQUIRE(d.Answer("Setup was cancelled", IDOK));
  REQUIRE(d.WaitExit(20000));
}

TEST_CASE("e2e: a full install with the proposed choices, then its uninstall") {
  TDemoChoices c;
  InstallCheckUninstall(c, "default");
}

TEST_CASE("e2e: a custom install (other folder and group, no guide), Back keeps entries; Alt+F4 on the last page ends setup without Finish's shortcuts and association") {
  TDemoChoices c;
  c.Folder = "C:\\Kestin e2e\\Notes";
  c.Group = "Kestin e2e group";
  c.Guide = false;
  c.Shortcuts = false;
  c.Association = false;
  c.CheckBack = true;
  c.CloseAtEnd = true;
  InstallCheckUninstall(c, "custom");
  CHECK_FALSE(PathExists("C:\\Kestin e2e"));
}

TEST_CASE("e2e: Cancel on the components page leaves nothing") {
  std::string exe = BuildDemo("cancel4");
  TSetupDriver d;
  Start(d, exe);
  REQUIRE_MESSAGE(WalkDemoCancelOnComponents(d), d.Failure);
  CHECK_FALSE(PathExists(kDefaultFolder));
  CHECK_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes"));
}

// Walks the package to the install page and stops the run there, with the
// Cancel button or with Alt+F4 on the background window.
void CancelDuringInstall(const std::string& tag, bool closeWindow) {
  std::string exe = BuildDemo(tag, "", 1500);
  TSetupDriver d;
  d.ShotFolder = NewScratchFolder("e2e-" + tag + "-shots");
  Start(d, exe);
  // Walk to the install page by hand: the walk helper would wait for the end.
  REQUIRE(d.WaitPage("Welcome to Kestrel Notes"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("What's new"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Licence agreement"));
  REQUIRE(d.Press("&Yes"));
  REQUIRE(d.WaitPage("About you"));
  std::vector<HWND> edits = d.Edits();
  REQUIRE(edits.size() >= 2);
  REQUIRE(d.Type(edits[0], "Ada"));
  REQUIRE(d.Type(edits[1], "Engines"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Choose the components"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Where should Kestrel Notes go?"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Choose a program group"));
  REQUIRE(d.Press("&Install"));
  REQUIRE(d.Answer("Do you want to install", IDYES));
  // Cancel as soon as the install page is up; the rollback's question below
  // is photographed over the install page with its progress.
  REQUIRE(d.WaitFor([&] { return d.Find("Static", "Installing") != nullptr; }, 10000, "the install page"));
  // The install runs on a thread of its own.
  CHECK(d.CodeOutsideImages() == "");
  if (closeWindow) d.Close();
  else REQUIRE(d.Press("Cancel"));
  // The rollback asks before it removes what was installed; then setup says
  // it was aborted.
  REQUIRE_MESSAGE(d.Answer("Remove Kestrel Notes", IDYES, 60000), d.Failure);
  REQUIRE_MESSAGE(d.Answer("Setup was cancelled", IDOK, 60000), d.Failure);
  REQUIRE(d.WaitExit(30000));
  CHECK_FALSE(PathExists(kDefaultFolder));
  CHECK_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes"));
  CHECK_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrel\\Notes"));
}

TEST_CASE("e2e: Cancel during the install run rolls everything back") { CancelDuringInstall("cancel7", false); }

TEST_CASE("e2e: Alt+F4 during the install run cancels it like the button, and the windows stay until it ends") {
  CancelDuringInstall("close7", true);
}

TEST_CASE("e2e: an earlier installation that cannot be found stops setup before the wizard") {
  std::string exe = BuildDemo("notfound", "[Path]\r\nFindPath=KestinNoSuchProduct\r\n"
                                          "NotFoundPathMsg=Install Kestrel Notes 0.9 first.\r\n");
  TSetupDriver d;
  Start(d, exe);
  REQUIRE_MESSAGE(d.Answer("Install Kestrel Notes 0.9 first.", IDOK), d.Failure);
  REQUIRE(d.WaitExit(20000));
  CHECK(d.Wizard() == nullptr);
  CHECK_FALSE(PathExists(kDefaultFolder));
}

TEST_CASE("e2e: the destination and the program group are checked before the install; keys and Alt+F4") {
  std::string exe = BuildDemo("checks");
  TSetupDriver d;
  Start(d, exe);
  REQUIRE(d.WaitPage("Welcome to Kestrel Notes"));
  // Enter presses Next.
  REQUIRE(d.Key(VK_RETURN));
  REQUIRE(d.WaitPage("What's new"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Licence agreement"));
  // No on the licence page asks the cancel question; No to it stays.
  REQUIRE(d.Press("&No"));
  REQUIRE(d.Answer("Do you really want to leave setup?", IDNO));
  REQUIRE(d.WaitPage("Licence agreement"));
  REQUIRE(d.Press("&Yes"));
  REQUIRE(d.WaitPage("About you"));
  std::vector<HWND> edits = d.Edits();
  REQUIRE(edits.size() >= 2);
  REQUIRE(d.Type(edits[0], "Ada"));
  REQUIRE(d.Type(edits[1], ""));
  CHECK_FALSE(IsWindowEnabled(d.Find("Button", "&Next >")));
  REQUIRE(d.Type(edits[1], "Engines"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Choose the components"));
  // Alt+F4 goes through the same question as Cancel; Escape too.
  d.Close();
  REQUIRE(d.Answer("Do you really want to leave setup?", IDNO));
  REQUIRE(d.Key(VK_ESCAPE));
  REQUIRE(d.Answer("Do you really want to leave setup?", IDNO));
  REQUIRE(d.WaitPage("Choose the components"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Where should Kestrel Notes go?"));
  HWND folder = d.Edits().at(0);
  const char* refused[] = {"Kestrel Notes", "C:\\", "C:\\Program Files\\..\\Kestrel", "C:\\a|b"};
  for (const char* f : refused) {
    INFO(f);
    REQUIRE(d.Type(folder, f));
    REQUIRE(d.Press("&Next >"));
    REQUIRE_MESSAGE(d.Answer("full folder path", IDOK), d.Failure);
    REQUIRE(d.WaitPage("Where should Kestrel Notes go?"));
  }
  // Tab goes from the folder field to Browse, and on to the buttons.
  CHECK(d.Focused() == folder);
  REQUIRE(d.Key(VK_TAB));
  CHECK(d.Focused() == d.Find("Button", "B&rowse..."));
  REQUIRE(d.Key(VK_TAB));
  CHECK(d.Focused() == d.Find("Button", "< &Back"));
  // A file where a folder of the path should be: cannot be created.
  REQUIRE(WriteTextFile("C:\\kestin-e2e-file", "x"));
  REQUIRE(d.Type(folder, "C:\\kestin-e2e-file\\Notes"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE_MESSAGE(d.Answer("cannot be created or written", IDOK), d.Failure);
  DeleteFileA("C:\\kestin-e2e-file");
  // Written with '/', which the wizard accepts: the run must take it too.
  REQUIRE(d.Type(folder, "C:/Kestin checks/Notes"));
  REQUIRE(d.Press("&Next >"));
  REQUIRE(d.WaitPage("Choose a program group"));
  // The check made no folder of its own.
  CHECK_FALSE(PathExists("C:\\Kestin checks"));
  HWND group = d.Edits().at(0);
  const char* badGroups[] = {"..\\Startup", "C:\\Group", "\\Group"};
  for (const char* g : badGroups) {
    INFO(g);
    REQUIRE(d.Type(group, g));
    REQUIRE(d.Press("&Install"));
    REQUIRE_MESSAGE(d.Answer("program group", IDOK), d.Failure);
  }
  REQUIRE(d.Type(group, "Kestin checks"));
  REQUIRE(d.Press("&Install"));
  // No to the install question stays on the page.
  REQUIRE(d.Answer("Do you want to install", IDNO));
  REQUIRE(d.WaitPage("Choose a program group"));
  REQUIRE(d.Press("&Install"));
  REQUIRE(d.Answer("Do you want to install", IDYES));
  REQUIRE(d.WaitPage("Setup is complete", 60000));
  // Escape must not press Finish on the last page.
  REQUIRE(d.Key(VK_ESCAPE));
  CHECK(d.WaitFor([&] { return WaitForSingleObject(d.Process.hProcess, 0) == WAIT_OBJECT_0; }, 1500, "") == false);
  d.Failure.clear();
  CHECK(d.Find("Static", "Setup is complete") != nullptr);
  REQUIRE(d.Press("&Finish"));
  REQUIRE(d.Answer("Kestrel Notes has been installed.", IDOK));
  REQUIRE(d.WaitExit(30000));
  CHECK(PathExists("C:\\Kestin checks\\Notes"));
  std::string command = ReadRegString(HKEY_LOCAL_MACHINE,
                                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestrelNotes",
                                      "UninstallString");
  REQUIRE_MESSAGE(RunUninstaller(d, command), d.Failure);
  CHECK_FALSE(PathExists("C:\\Kestin checks"));
}

TEST_CASE("e2e: a script with six options is refused before the wizard, in the install engine's words") {
  std::string exe = BuildDemo("six", "[Options]\r\nOption4_Text=Four\r\nOption5_Text=Five\r\nOption6_Text=Six\r\n", 0, true);
  TSetupDriver d;
  Start(d, exe);
  REQUIRE_MESSAGE(d.Answer("at most five options", IDOK), d.Failure);
  REQUIRE(d.WaitExit(20000));
  CHECK(d.Wizard() == nullptr);
}

namespace {

std::string EnvText(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

std::string RecordedE2e(const std::string& name) {
  std::string path = "Z:" + EnvText("KESTIN_REG_RECORD") + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return Text(path);
}

BOOL CALLBACK FindNameDialog(HWND w, LPARAM found) {
  if (!IsWindowVisible(w) || !FindWindowExA(w, nullptr, "Static", "UserName (Alias)")) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// The offer, a name-exists answer with the retry under another name, then the
// thanks.
bool RegisterWithRetry(TSetupDriver& d) {
  if (!d.Answer("Register Kestrel Notes online?", IDYES) || !d.Answer("EXISTS already", IDYES)) return false;
  HWND dialog = nullptr;
  if (!d.WaitFor([&] { return !EnumWindows(FindNameDialog, (LPARAM)&dialog) && dialog; }, 15000, "the user-name dialog"))
    return false;
  HWND edit = FindWindowExA(dialog, nullptr, "Edit", nullptr);
  HWND ok = FindWindowExA(dialog, nullptr, "Button", "OK");
  if (!edit || !ok || !d.Type(edit, "Ada2")) return d.Fail("the user-name dialog without its field or OK");
  PostMessageA(ok, BM_CLICK, 0, 0);
  return d.Answer("Thank you for registering.", IDOK, 30000);
}

}  // namespace

TEST_CASE("e2e: a package that offers registration posts the user's details, retries a taken name, and finishes") {
  if (EnvText("KESTIN_REG_PORT").empty()) {
    MESSAGE("no local registration endpoint (run through reg_server.py)");
    return;
  }
  std::string exe = BuildDemo("register",
                              "[Owner]\r\nAskToRegister=1\r\nRegistrationURL=http://127.0.0.1:" +
                                  EnvText("KESTIN_REG_PORT") + "/exists-once\r\n",
                              0, false, {{"KESTIN\\register.txt", "Register Kestrel Notes online?"}});
  TDemoChoices c;
  c.Email = "ada@example.info";
  c.AtFinish = RegisterWithRetry;
  TSetupDriver d;
  Start(d, exe);
  TDemoInstall in;
  REQUIRE_MESSAGE(WalkDemoInstall(d, c, in), d.Failure);
  int n = atoi(RecordedE2e("count").c_str());
  REQUIRE(n >= 2);
  CHECK(RecordedE2e("body-" + std::to_string(n - 1)) ==
        "usr=Ada%20Lovelace&org=Analytical%20Engines&eml=ada@example%2Einfo");
  CHECK(RecordedE2e("body-" + std::to_string(n)) == "usr=Ada2&org=Analytical%20Engines&eml=ada@example%2Einfo");
  CHECK(RecordedE2e("head-" + std::to_string(n)).find("User-Agent: Kestrel Notes 1.0 Setup; Win") != std::string::npos);
  REQUIRE_MESSAGE(RunUninstaller(d, in.UninstallCommand), d.Failure);
  CHECK(CheckDemoRemoved(in) == "");
}
