// The whole road under Wine: a package made by kestin-pack from the engine's
// three-option fixture is installed through the engine (files, system file
// registered by the real tool, product key, shortcuts on the prefix's own
// desktop and programs menu, associations), then removed by running the
// uninstaller file from its Windows folder with the uninstall entry's own
// command line. Afterwards the prefix is as it was, but for a file the user
// added. A cancelled install is rolled back to the same state.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "base/message_box.h"
#include "install/install_run.h"
#include "script/ini_file.h"
#include "install/registry_values.h"
#include "install/shortcuts.h"
#include "package/helper_library.h"
#include "package/package_locate.h"
#include "prefix_files_win.h"
#include "process_win.h"
#include "script/texts.h"
#include "test_run_host_win.h"
#include "uninstall_test_support.h"

using namespace uninstall_test;

namespace {

const char kUninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TInstallRun* g_cancelRun = nullptr;
bool g_cancelOnRegistrationError = false;

std::vector<std::string> g_boxes;
// A file the test holds open without sharing; Retry lets go of it first when g_retry.
HANDLE g_holder = INVALID_HANDLE_VALUE;
bool g_retry = false;
int Answer(void*, const char* text, const char* caption, unsigned flags) {
  g_boxes.push_back(std::string(caption) + "|" + text);
  if ((flags & 0xF) == MB_RETRYCANCEL) {
    if (!g_retry) return IDCANCEL;
    CloseHandle(g_holder);
    g_holder = INVALID_HANDLE_VALUE;
    return IDRETRY;
  }
  // The failure box is up; the user presses the wizard's Cancel meanwhile.
  if (g_cancelOnRegistrationError && g_cancelRun && std::string(text).find("Registration failed") == 0)
    RequestInstallCancel(*g_cancelRun);
  return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
}

struct TProduct {
  std::string tag;
  std::string dir = NewScratchFolder("instunin");
  std::string work = NewScratchFolder("instunin-work");  // package tree, helper library, boxes
  std::string exe = work + "setup.exe";
  std::string windows = dir + "windows";
  std::string dest = dir + "Program Files\\Engine Test";
  std::string control, entry;
  std::string system = ShellFolder(CSIDL_SYSTEM);
  std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY), programs = ShellFolder(CSIDL_PROGRAMS);
  TIniFile* values = nullptr;
  TInstallRun run;
  TTestRunHost host;

  // `failingControl`: a second system file that is no library, so its
  // registration fails and shows its box.
  explicit TProduct(const std::string& t, bool failingControl = false) : tag(t) {
    std::string tree = work + "tree";
    CopyTree(SourcePath("tests\\install\\fixtures\\three_options"), tree);
    control = "kestin_regtest_unin_" + tag + ".dll";
    entry = "KestinEngineTest_unin_" + tag;
    std::string ini = Text(tree + "\\KESTIN\\kestin.ini");
    ini.replace(ini.find("kestin_regtest.dll"), strlen("kestin_regtest.dll"), control);
    ini.replace(ini.find("SectionName=KestinEngineTest"), strlen("SectionName=KestinEngineTest"),
                "SectionName=" + entry);
    // Big enough for a Cancel to land inside the extraction.
    ini.replace(ini.find("4=never.txt"), strlen("4=never.txt"), "3=big.bin");
    if (failingControl) {
      ini.replace(ini.find("1=" + control), 2 + control.size(), "1=" + control + "\r\n2=" + Failing());
      REQUIRE(WriteTextFile(tree + "\\" + Failing(), "not a library"));
    }
    REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
    REQUIRE(WriteWholeFile(tree + "\\big.bin", std::vector<uint8_t>(2 << 20, 'b')));
    REQUIRE(CopyFileA(BinaryPath("tests\\kestin_regtest.dll").c_str(), (tree + "\\" + control).c_str(), FALSE));
    REQUIRE(RunAndWait("\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + exe +
                           "\" --stub \"" + BinaryPath("tests\\uninstall_probe.exe") + "\" --dll \"" +
                           BinaryPath("uncab.dll") + "\"",
                       work) == 0);
    CreateDirectoryA(windows.c_str(), nullptr);
    TPackagePlace place = LocatePackage(exe.c_str());
    REQUIRE(!place.cabinetPath.empty());
    REQUIRE(LoadHelperLibraryFrom(exe.c_str(), place.cabinetOffset, work.c_str()));
    values = new TIniFile((tree + "\\KESTIN\\kestin.ini").c_str());
    run.Script = values;
    run.PackagePath = exe.c_str();
    run.Package = place;
    run.SystemFolder = system.c_str();
    run.WindowsFolder = windows.c_str();
    run.Choices.ComponentCount = 3;
    run.Choices.ComponentChecks[0] = true;
    run.Choices.ComponentChecks[2] = true;
    run.Choices.ComponentSizes[0] = 40 + (2 << 20);
    run.Choices.ComponentSizes[2] = 20000;
    run.Choices.Destination = dest.c_str();
    run.Choices.Group = ("Kestin Uninstall Test " + tag).c_str();
    run.Choices.UserName = "Ada";
    run.Choices.Company = "Engines Ltd";
    // What was there before: an extension of another program whose type
    // has its own `open` verb.
    SetValue(HKEY_CLASSES_ROOT, ".kstengtxt", "", "KestinEngineTest.Text");
    SetValue(HKEY_CLASSES_ROOT, "KestinEngineTest.Text\\shell\\open\\command", "", "theirs \"%1\"");

    run.Host = &host;
    host.Run = &run;

    g_boxes.clear();
    MessageHook = Answer;
    run.Texts.Set(TxtError, "Error");
    run.Texts.Set(TxtWarning, "Warning");
    run.Texts.Set(TxtRegErrorMsg, "Registration failed:");
    run.Texts.Set(TxtSetupAborted, "Setup was aborted.");
  }
  ~TProduct() {
    UnloadHelperLibrary();
    delete values;
    MessageHook = nullptr;
    g_cancelRun = nullptr;
    g_cancelOnRegistrationError = false;
    DeleteTree(HKEY_CLASSES_ROOT, ".kstengtxt");
    DeleteTree(HKEY_CLASSES_ROOT, "KestinEngineTest.Text");
  }

  std::string Failing() const { return "kestin_notalib_unin_" + tag + ".dll"; }

  // Files, keys, shortcuts and associations the product may touch.
  std::set<std::string> Snapshot() const {
    std::set<std::string> s;
    ListTree(dir.substr(0, dir.size() - 1), "dir\\", s);
    ListTree(desktop, "desktop\\", s);
    ListTree(programs, "programs\\", s);
    for (const std::string& f : {control, Failing()})
      if (Exists(system + "\\" + f)) s.insert("system\\" + f);
    ListKeys(HKEY_CURRENT_USER, "Software\\KestinEngineTest", s);
    // The test library's own key (its parent is shared by every case).
    ListKeys(HKEY_CURRENT_USER, "Software\\KestinRegTest\\" + control, s);
    for (const char* k : {".kstengtest", "KestinEngineTest.Document", ".kstengtxt", "KestinEngineTest.Text"})
      ListKeys(HKEY_CLASSES_ROOT, k, s);
    ListKeys(HKEY_LOCAL_MACHINE, kUninstallList + entry, s);
    return s;
  }
};

std::string Join(const std::set<std::string>& s) {
  std::string r;
  for (auto& x : s) r += x + "\n";
  return r;
}

}  // namespace

TEST_CASE("install, then the uninstaller file with /U from the entry's command line: only what was there remains") {
  TProduct p("full");
  // Another program's extension key without a type gets the product's type,
  // and loses only that at uninstall.
  for (const char* key : {".kstengtest", "KestinEngineTest.Document"}) DeleteTree(HKEY_CLASSES_ROOT, key);
  SetValue(HKEY_CLASSES_ROOT, ".kstengtest", "Content Type", "text/x-theirs");
  std::set<std::string> before = p.Snapshot();
  REQUIRE(StartInstall(p.run) == kInstallSucceeded);
  for (auto& m : g_boxes) MESSAGE(m);
  REQUIRE(g_boxes.empty());
  CreateShortcuts(p.run, kDesktopShortcuts);
  CreateShortcuts(p.run, kProgramShortcuts);
  WriteAssociation(p.run, 1);
  WriteAssociation(p.run, 2);
  REQUIRE(KeyExists(HKEY_CURRENT_USER, "Software\\KestinRegTest\\" + p.control));
  REQUIRE(Exists(p.desktop + "\\Engine Test.lnk"));
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstengtest", nullptr) == "KestinEngineTest.Document");
  // Sealed after the last write at Finish: the record holds the log's bytes.
  std::string record = LogRecordPath((p.dest + "\\Uninst.log").c_str()).c_str();
  CHECK(ReadWholeFile(record) == ReadWholeFile(p.dest + "\\Uninst.log"));
  std::set<std::string> installed = p.Snapshot();
  CHECK(installed.size() > before.size() + 10);
  // The user keeps a file of their own in the installation folder.
  Touch(p.dest + "\\docs\\mine.txt", "the user's");

  std::string command = RegString(HKEY_LOCAL_MACHINE, kUninstallList + p.entry, "UninstallString");
  REQUIRE(command.find("\"" + p.windows + "\\KestinEngTest.kvl\" /U \"") == 0);
  std::string temp = p.work + "utmp", boxes = p.work + "boxes.txt";
  CreateDirectoryA(temp.c_str(), nullptr);
  REQUIRE(RunAndWaitWithEnv(command, p.work,
                            {"TEMP=" + temp, "TMP=" + temp, "KESTIN_PROBE_OUT=" + boxes, "KESTIN_PROBE_ANSWER=Y"}) == 0);
  // The removal helper runs on: wait (bounded) for its message and its end.
  std::set<std::string> tempFiles;
  for (int i = 0; i < 200; i++) {
    tempFiles.clear();
    ListTree(temp, "", tempFiles);
    if (Text(boxes).find("Information|") != std::string::npos && tempFiles.empty() &&
        !Exists(p.windows + "\\KestinEngTest.kvl"))
      break;
    Sleep(100);
  }
  // The script has no OKString: the log holds an empty one, shown as it is.
  CHECK(Text(boxes) == "Warning|Remove the engine test?\nInformation|\n");
  CHECK(tempFiles.empty());
  std::set<std::string> expected = before;
  expected.insert({"dir\\Program Files\\", "dir\\Program Files\\Engine Test\\", "dir\\Program Files\\Engine Test\\docs\\",
                   "dir\\Program Files\\Engine Test\\docs\\mine.txt"});
  CHECK(Join(p.Snapshot()) == Join(expected));
  CHECK_FALSE(Exists(record));
  // Unregistered by the real tool while the file was still there.
  CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\KestinRegTest\\" + p.control));
  DeleteTree(HKEY_CLASSES_ROOT, ".kstengtest");
}

TEST_CASE("a cancelled install, rolled back with Yes, leaves nothing of the product and no uninstall entry") {
  for (int cancelAt : {1, 60}) {
    CAPTURE(cancelAt);
    TProduct p("cancel" + std::to_string(cancelAt));
    std::set<std::string> before = p.Snapshot();
    p.host.CancelAt = cancelAt;
    CHECK(StartInstall(p.run) == kInstallCancelled);
    CHECK(std::find(g_boxes.begin(), g_boxes.end(), "Warning|Remove the engine test?") != g_boxes.end());
    CHECK(Join(p.Snapshot()) == Join(before));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallList + p.entry));
  }
}

TEST_CASE("a Cancel during registration is rolled back too: the registered file is unregistered and removed") {
  TProduct p("cancelreg", true);
  std::set<std::string> before = p.Snapshot();
  g_cancelRun = &p.run;
  g_cancelOnRegistrationError = true;
  CHECK(StartInstall(p.run) == kInstallCancelled);
  REQUIRE(g_boxes.size() == 3);
  CHECK(g_boxes[0].find("Error|Registration failed: " + p.Failing()) == 0);
  CHECK(g_boxes[1] == "Warning|Remove the engine test?");
  CHECK(Join(p.Snapshot()) == Join(before));
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallList + p.entry));
}

TEST_CASE("a repair keeps the files it replaces aside: a held file is asked about, a failed repair gives "
          "every earlier file back, a Retry once the holder lets go installs") {
  // "again": a repair that succeeded first, so the failed one goes on a log with asides of its own.
  // (The unattended answer is a row of the setup program's scenario table.)
  for (std::string way : {"cancel", "retry", "again"}) {
    CAPTURE(way);
    TProduct p("repair" + way);
    p.run.Choices.ComponentChecks[2] = false;
    REQUIRE(StartInstall(p.run) == kInstallSucceeded);
    if (way == "again") REQUIRE(StartInstall(p.run) == kInstallSucceeded);
    const char* names[] = {"big.bin", "docs\\notes.txt", "engtest.txt"};  // the cabinet's order
    for (const char* name : names) Touch(p.dest + "\\" + name, std::string("earlier ") + name);
    std::string held = p.dest + "\\engtest.txt", log = Text(p.dest + "\\Uninst.log");
    g_holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(g_holder != INVALID_HANDLE_VALUE);
    g_retry = way == "retry";
    g_boxes.clear();
    CHECK(StartInstall(p.run) == (g_retry ? kInstallSucceeded : kInstallFailed));
    if (g_holder != INVALID_HANDLE_VALUE) CloseHandle(g_holder);
    g_holder = INVALID_HANDLE_VALUE;
    // The earlier files back with their content and the log as it was, or the package's files after a
    // Retry; no aside left either way.
    for (const char* name : names)
      CHECK(Text(p.dest + "\\" + name) == (g_retry ? Text(p.work + "tree\\" + name) : std::string("earlier ") + name));
    if (!g_retry) CHECK(Text(p.dest + "\\Uninst.log") == log);
    std::set<std::string> files;
    ListTree(p.dest, "", files);
    for (auto& f : files) CHECK(f.find(".kestin-old") == std::string::npos);
    std::string text;
    for (auto& box : g_boxes) text += box + "\n";
    CHECK(text.find("Warning|" + held + "\r\nis in use by another program") == 0);
    if (way != "retry") CHECK(text.find("File: " + held) != std::string::npos);  // the failure names it
  }
  g_retry = false;
}
