// The install engine run for real under Wine: a package made by kestin-pack
// from tests/install/fixtures/three_options is installed headlessly through
// StartInstall, and what it leaves (files, log, registry, uninstall entry,
// uninstaller file, shortcuts, associations) is read back with the system's
// own calls.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/message_box.h"
#include "install/durable_log_store.h"
#include "install/install_run.h"
#include "script/ini_file.h"
#include "install/registry_values.h"
#include "install/shortcuts.h"
#include "package/cabinet_reader.h"
#include "package/package_error.h"
#include "package/package_files.h"
#include "package/package_layout.h"
#include "package/helper_library.h"
#include "package/package_locate.h"
#include "process_win.h"
#include "script/texts.h"
#include "uninstall/log_record.h"
#include "uninstall/memory_log_store.h"
#include "uninstall/undo_steps.h"
#include "prefix_files_win.h"
#include "test_files.h"
#include "test_run_host_win.h"

namespace {

std::vector<std::string> g_messages;
int RecordMessage(void*, const char* text, const char* caption, unsigned) {
  g_messages.push_back(std::string(caption) + "|" + text);
  return IDOK;
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != 0) return false;
  RegCloseKey(k);
  return true;
}

void SetRegString(HKEY root, const std::string& key, const char* name, const std::string& value) {
  HKEY k;
  REQUIRE(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0);
  RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)value.c_str(), DWORD(value.size() + 1));
  RegCloseKey(k);
}

std::string SystemDir() {
  char buf[MAX_PATH];
  GetSystemDirectoryA(buf, MAX_PATH);
  return buf;
}

// One package and everything one install of it needs. `tag` keeps names
// (the system file, the uninstall entry) apart between cases, as they share
// one prefix.
struct Fixture {
  std::string dir, tree, exe, temp, dest, windows, script, control;
  TIniFile* values = nullptr;
  TInstallRun run;
  TTestRunHost host;

  explicit Fixture(const std::string& tag, const std::string& scriptEdits = "",
                   const std::string& extraFile = "", size_t extraSize = 0) {
    dir = NewScratchFolder("engine-" + tag);
    tree = dir + "tree";
    CopyTree(SourcePath("tests\\install\\fixtures\\three_options"), tree);
    control = "kestin_regtest_" + tag + ".dll";
    std::string ini = Text(tree + "\\KESTIN\\kestin.ini");
    ini = Replace(ini, "kestin_regtest.dll", control);
    ini = Replace(ini, "SectionName=KestinEngineTest", "SectionName=KestinEngineTest_" + tag);
    ini += scriptEdits;
    REQUIRE(WriteTextFile(tree + "\\KESTIN\\kestin.ini", ini));
    REQUIRE(CopyFileA(BinaryPath("tests\\kestin_regtest.dll").c_str(), (tree + "\\" + control).c_str(), FALSE));
    if (!extraFile.empty()) {
      // Incompressible, so writing it takes long enough for a Cancel to land.
      std::vector<uint8_t> bytes(extraSize);
      uint32_t x = 12345;
      for (uint8_t& b : bytes) b = (uint8_t)((x = x * 1103515245u + 12345u) >> 24);
      REQUIRE(WriteWholeFile(tree + "\\" + extraFile, bytes));
    }
    exe = dir + "setup.exe";
    std::string cmd = "\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + tree + "\" -o \"" + exe +
                      "\" --stub \"" + BinaryPath("tests\\startup_probe.exe") + "\" --dll \"" +
                      BinaryPath("uncab.dll") + "\"";
    REQUIRE(RunAndWait(cmd, dir) == 0);
    temp = dir + "tmp\\";
    CreateDirectoryA(temp.c_str(), nullptr);
    windows = dir + "windows";
    CreateDirectoryA(windows.c_str(), nullptr);
    dest = dir + "Program Files\\Engine Test";

    TPackagePlace place = LocatePackage(exe.c_str());
    REQUIRE(!place.cabinetPath.empty());
    REQUIRE(LoadHelperLibraryFrom(exe.c_str(), place.cabinetOffset, temp.c_str()));
    script = temp + "kestin.ini";
    REQUIRE(CopyFileA((tree + "\\KESTIN\\kestin.ini").c_str(), script.c_str(), FALSE));
    values = new TIniFile(script.c_str());

    run.Script = values;
    run.PackagePath = exe.c_str();
    run.Package = place;
    run.SystemFolder = SystemDir().c_str();
    run.WindowsFolder = windows.c_str();
    run.Choices.ComponentCount = 3;
    run.Choices.ComponentChecks[0] = true;
    run.Choices.ComponentChecks[1] = false;
    run.Choices.ComponentChecks[2] = true;
    run.Choices.ComponentSizes[0] = 40;
    run.Choices.ComponentSizes[1] = 11;
    run.Choices.ComponentSizes[2] = 20000;
    run.Choices.Destination = dest.c_str();
    run.Choices.Group = "Kestin Engine Test";
    run.Choices.UserName = "Ada";
    run.Choices.Company = "Engines Ltd";
    run.Rollback = RecordRollback;
    run.Host = &host;
    host.Run = &run;

    g_messages.clear();
    g_rollbacks.clear();
    MessageHook = RecordMessage;
    run.Texts.Set(TxtError, "Error");
    run.Texts.Set(TxtWarning, "Warning");
    run.Texts.Set(TxtRegErrorMsg, "Registration failed:");
    run.Texts.Set(TxtSetupAborted, "Setup was aborted.");
  }
  ~Fixture() {
    UnloadHelperLibrary();
    delete values;
    MessageHook = nullptr;
  }
  // The log as its reader takes it: the runs' appended lines merged.
  std::string Log() const { return TMemoryLogStore::Merged(Text(dest + "\\Uninst.log").c_str()).c_str(); }
  std::string EntryKey() const {
    return std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
           values->Value("Uninstall", "SectionName").c_str();
  }

  static std::vector<std::string> g_rollbacks;
  static bool RecordRollback(const TStr& logPath, size_t, TRunHost&) {
    g_rollbacks.push_back(logPath.c_str());
    return true;
  }
};
std::vector<std::string> Fixture::g_rollbacks;

std::vector<uint8_t> ProgramImage(const std::string& exe, int cabinetOffset) {
  std::vector<uint8_t> all = ReadWholeFile(exe);
  long long n = HelperLibraryStart(cabinetOffset, (long long)all.size());
  REQUIRE(n > 0);
  all.resize((size_t)n);
  return all;
}

struct LinkInfo {
  std::string path, args, workDir, icon;
  int iconIndex = -1;
};

LinkInfo ReadLink(const std::string& file) {
  LinkInfo info;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  REQUIRE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)));
  IPersistFile* pf = nullptr;
  REQUIRE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&pf)));
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  REQUIRE(SUCCEEDED(pf->Load(wide, STGM_READ)));
  char buf[MAX_PATH];
  if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH))) info.path = buf;
  if (SUCCEEDED(link->GetArguments(buf, MAX_PATH))) info.args = buf;
  if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) info.workDir = buf;
  if (SUCCEEDED(link->GetIconLocation(buf, MAX_PATH, &info.iconIndex))) info.icon = buf;
  pf->Release();
  link->Release();
  CoUninitialize();
  return info;
}

}  // namespace

TEST_CASE("three options install headlessly and leave exactly what the script asks for") {
  Fixture f("full");
  std::string sys = SystemDir() + "\\";
  DeleteFileA((sys + f.control).c_str());
  // An existing extension whose type already has an `open` verb: it is
  // neither overwritten nor recorded.
  SetRegString(HKEY_CLASSES_ROOT, ".kstengtxt", nullptr, "KestinEngineTest.Text");
  SetRegString(HKEY_CLASSES_ROOT, "KestinEngineTest.Text\\shell\\open\\command", nullptr, "theirs \"%1\"");
  // A file the user had in the system folder is not the product's.
  std::string theirs = sys + "kestin_theirs_full.dll";
  REQUIRE(WriteTextFile(theirs, "user data"));
  WritePrivateProfileStringA("Options", "Option3_Sys", "SysOnly", f.script.c_str());
  WritePrivateProfileStringA("SysOnly", "1", f.control.c_str(), f.script.c_str());
  WritePrivateProfileStringA("SysOnly", "2", "kestin_theirs_full.dll", f.script.c_str());

  REQUIRE(StartInstall(f.run) == kInstallSucceeded);
  for (const std::string& m : g_messages) MESSAGE(m);
  CHECK(f.run.Succeeded.IsSet());
  CHECK(f.run.Done.IsSet());
  CHECK_FALSE(f.run.Cancel.IsSet());
  CHECK(g_messages.empty());
  CHECK(Fixture::g_rollbacks.empty());
  REQUIRE(!f.host.Positions.empty());
  CHECK(f.host.Positions.back() == 100);
  // Too late to cancel now: the flag stays clear, the result stands.
  CHECK_FALSE(RequestInstallCancel(f.run));
  CHECK_FALSE(f.run.Cancel.IsSet());

  CHECK(Exists(f.dest + "\\engtest.txt"));
  CHECK(Exists(f.dest + "\\docs\\notes.txt"));
  CHECK_FALSE(Exists(f.dest + "\\docs\\guide.txt"));  // option 2 not selected
  CHECK_FALSE(Exists(f.dest + "\\never.txt"));        // after a gap in the list
  CHECK(Exists(sys + f.control));
  CHECK(Text(theirs) == "user data");
  // Registered by the real tool: the library's own key.
  CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\KestinRegTest\\" + f.control));

  CHECK(f.Log() ==
        "[General]\r\nMessageString=Remove the engine test?\r\nOKString=\r\nCodePage=" +
            std::to_string(GetACP()) + "\r\nCreatedFolder=" + f.dest.substr(0, f.dest.rfind('\\')) + "\r\n"
        "[Files]\r\nFile1=docs\\notes.txt\r\nFile2=engtest.txt\r\nFile3=created-later.ini\r\n"
        "[SysFiles]\r\nFile1=" + f.control + "\r\n"
        "[Register]\r\nFile1=" + f.control + "\r\n"
        "[Uninstall]\r\nSectionName=KestinEngineTest_full\r\n"
        "[Registry]\r\nRoot=CU\r\nSection=Software\\KestinEngineTest\r\nValue1=Owner\r\nValue2=Company\r\n");

  std::string uninstaller = f.windows + "\\KestinEngTest.kvl";
  CHECK(RegString(HKEY_LOCAL_MACHINE, f.EntryKey(), "DisplayName") == "Kestin Engine Test");
  CHECK(RegString(HKEY_LOCAL_MACHINE, f.EntryKey(), "UninstallString") ==
        "\"" + uninstaller + "\" /U \"" + f.dest + "\\Uninst.log\"");
  CHECK(RegString(HKEY_LOCAL_MACHINE, f.EntryKey(), "QuietUninstallString") ==
        "\"" + uninstaller + "\" /U \"" + f.dest + "\\Uninst.log\" /S");
  CHECK(ReadWholeFile(uninstaller) == ProgramImage(f.exe, f.run.Package.cabinetOffset));

  CHECK(RegString(HKEY_CURRENT_USER, "Software\\KestinEngineTest", "Owner") == "Ada");
  CHECK(RegString(HKEY_CURRENT_USER, "Software\\KestinEngineTest", "Company") == "Engines Ltd");

  // Finish: shortcuts of both kinds, then the associations.
  std::string desktop = f.dir + "Desktop", programs = f.dir + "Programs";
  CreateDirectoryA(desktop.c_str(), nullptr);
  CreateDirectoryA(programs.c_str(), nullptr);
  CreateShortcuts(f.run, kDesktopShortcuts, desktop.c_str());
  CreateShortcuts(f.run, kProgramShortcuts, programs.c_str());
  LinkInfo d = ReadLink(desktop + "\\Engine Test.lnk");
  CHECK(d.path == f.dest + "\\engtest.txt");
  CHECK(d.args == "/min");
  CHECK(d.workDir == f.dest);
  CHECK(d.icon == f.dest + "\\engtest.txt");
  CHECK(d.iconIndex == 2);
  std::string menuLink = programs + "\\Kestin Engine Test\\Tools\\Engine Notes.lnk";
  LinkInfo m = ReadLink(menuLink);
  CHECK(m.path == f.dest + "\\docs\\notes.txt");
  CHECK(m.workDir == f.dest + "\\docs");

  WriteAssociation(f.run, 1);
  WriteAssociation(f.run, 2);
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstengtest", nullptr) == "KestinEngineTest.Document");
  CHECK(RegString(HKEY_CLASSES_ROOT, "KestinEngineTest.Document", nullptr) == "Engine test document");
  CHECK(RegString(HKEY_CLASSES_ROOT, "KestinEngineTest.Document\\DefaultIcon", nullptr) ==
        f.dest + "\\engtest.txt,0");
  CHECK(RegString(HKEY_CLASSES_ROOT, "KestinEngineTest.Document\\shell\\Open with engine test\\command", nullptr) ==
        f.dest + "\\engtest.txt \"%1\"");
  CHECK(RegString(HKEY_CLASSES_ROOT, "KestinEngineTest.Text\\shell\\open\\command", nullptr) == "theirs \"%1\"");

  std::string log = f.Log();
  // Each folder and link is recorded before it is made.
  CHECK(log.find("[Shortcuts]\r\nGroup=Kestin Engine Test\r\nLink1=" + desktop + "\\Engine Test.lnk\r\nRmDir1=0\r\n"
                 "Folder1=" + programs + "\\Kestin Engine Test\r\nFolder2=" + programs +
                 "\\Kestin Engine Test\\Tools\r\nLink2=" + menuLink + "\r\nRmDir2=1\r\n") != std::string::npos);
  CHECK(log.find("[Extensions]\r\nDefaultType1=KestinEngineTest.Document\r\nDefault1=.kstengtest\r\n"
                 "PATH_1=KestinEngineTest.Document\\shell\\Open with engine test\r\n") !=
        std::string::npos);
  CHECK(log.find("[Created]\r\nKey1=.kstengtest\r\nKey2=KestinEngineTest.Document\r\n") != std::string::npos);
  CHECK(log.find("PATH_2") == std::string::npos);
}

TEST_CASE("a failed registration is shown, left out of the log, and the list keeps no gap") {
  Fixture f("regerr");
  std::string sys = SystemDir() + "\\";
  std::string failing = "kestin_fail_regerr.dll", third = "kestin_third_regerr.dll";
  DeleteFileA((sys + f.control).c_str());
  // The failing library and a third one are put in place as if an earlier
  // option had brought them; only the script lists them for registration.
  REQUIRE(CopyFileA(BinaryPath("tests\\kestin_regtest.dll").c_str(), (sys + failing).c_str(), FALSE));
  REQUIRE(CopyFileA(BinaryPath("tests\\kestin_regtest.dll").c_str(), (sys + third).c_str(), FALSE));
  WritePrivateProfileStringA("Options", "Option3_Reg", "RegList", f.script.c_str());
  WritePrivateProfileStringA("RegList", "1", f.control.c_str(), f.script.c_str());
  WritePrivateProfileStringA("RegList", "2", failing.c_str(), f.script.c_str());
  WritePrivateProfileStringA("RegList", "3", third.c_str(), f.script.c_str());

  REQUIRE(StartInstall(f.run) == kInstallSucceeded);
  for (const std::string& m : g_messages) MESSAGE(m);
  REQUIRE(g_messages.size() == 1);
  CHECK(g_messages[0].rfind("Error|Registration failed: " + failing + "(", 0) == 0);
  REQUIRE(f.run.RegistrationFailures.Count() == 1);
  // The third one registered, but was not brought by this installation: an
  // uninstall must not unregister it.
  CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\KestinRegTest\\" + third));
  CHECK(f.Log().find("[Register]\r\nFile1=" + f.control + "\r\n[Uninstall]") != std::string::npos);
  DeleteFileA((sys + failing).c_str());
  DeleteFileA((sys + third).c_str());
}

TEST_CASE("a Cancel during registration stops the run before the uninstall entry") {
  Fixture f("cancelreg");
  WritePrivateProfileStringA("Options", "Option3_Reg", "RegList", f.script.c_str());
  WritePrivateProfileStringA("RegList", "1", "kestin_missing_cancelreg.dll", f.script.c_str());
  // The failure box is up; the user presses the wizard's Cancel meanwhile.
  static TInstallRun* run;
  run = &f.run;
  MessageHook = [](void*, const char* text, const char* caption, unsigned) {
    g_messages.push_back(std::string(caption) + "|" + text);
    if (std::string(text).find("Registration failed") != std::string::npos) RequestInstallCancel(*run);
    return IDOK;
  };
  CHECK(StartInstall(f.run) == kInstallCancelled);
  CHECK_FALSE(f.run.Succeeded.IsSet());
  CHECK(f.run.Done.IsSet());
  CHECK(f.run.Cancel.IsSet());
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, f.EntryKey()));
  CHECK_FALSE(Exists(f.windows + "\\KestinEngTest.kvl"));
  REQUIRE(Fixture::g_rollbacks.size() == 1);
  CHECK(Fixture::g_rollbacks[0] == f.dest + "\\Uninst.log");
  CHECK(g_messages.back() == "Warning|Setup was aborted.");
  CHECK(f.Log().find("[Uninstall]") == std::string::npos);
}

TEST_CASE("a Cancel during extraction stops the run; every file there is recorded") {
  Fixture f("cancelx", "", "big.bin", 24 << 20);
  WritePrivateProfileStringA("ProgramFiles", "3", "big.bin", f.script.c_str());
  WritePrivateProfileStringA("ProgramFiles", "4", "never.txt", f.script.c_str());
  f.run.Choices.ComponentSizes[0] = 40 + (24 << 20);
  f.host.CancelAt = 1;
  CHECK(StartInstall(f.run) == kInstallCancelled);
  CHECK_FALSE(f.run.Succeeded.IsSet());
  REQUIRE(Fixture::g_rollbacks.size() == 1);
  std::string log = f.Log();
  CHECK(log.find("never.txt") == std::string::npos);      // not reached
  CHECK(log.find("created-later") == std::string::npos);  // extra entries only after a whole list
  CHECK(log.find("[SysFiles]") == std::string::npos);
  // Every file that is there was recorded before it was made; one the
  // cabinet writer abandoned is not left behind.
  for (const char* name : {"big.bin", "engtest.txt", "docs\\notes.txt"}) {
    CAPTURE(name);
    CHECK((log.find(std::string("=") + name + "\r\n") != std::string::npos || !Exists(f.dest + "\\" + name)));
  }
  CHECK_FALSE(Exists(f.dest + "\\big.bin"));  // the cancel came while it was written
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, f.EntryKey()));
}

TEST_CASE("each dangerous script is refused before anything is installed") {
  const char* const edits[] = {
      "[Uninstall]\r\nSectionName=\r\n",
      "[DesktopLinks]\r\nRmDir1=1\r\n",
      "[RegisterExt]\r\nType1=\r\n",
      "[Uninstall]\r\nLogName=..\\outside.log\r\n",
      "[Uninstall]\r\n2=..\\..\\boot.ini\r\n",
      "[Options]\r\nOption4_Text=a\r\nOption5_Text=b\r\nOption6_Text=c\r\n",
  };
  int n = 0;
  for (const char* edit : edits) {
    CAPTURE(edit);
    Fixture f("refuse" + std::to_string(n++));
    // Keys of the edit override the fixture's: written over the script copy.
    std::string e = edit;
    std::string section = e.substr(1, e.find(']') - 1);
    size_t line = e.find("\r\n") + 2;
    while (line < e.size()) {
      size_t end = e.find("\r\n", line), eq = e.find('=', line);
      WritePrivateProfileStringA(section.c_str(), e.substr(line, eq - line).c_str(),
                                 e.substr(eq + 1, end - eq - 1).c_str(), f.script.c_str());
      line = end + 2;
    }
    CHECK(StartInstall(f.run) == kInstallFailed);
    CHECK_FALSE(Exists(f.dest));
    CHECK(Fixture::g_rollbacks.empty());
    CHECK_FALSE(f.run.Succeeded.IsSet());
    REQUIRE(g_messages.size() == 2);
    CHECK(g_messages[0].find("Error|This setup script cannot be installed safely: [") == 0);
    CHECK(g_messages[1] == "Warning|Setup was aborted.");
  }
}

TEST_CASE("a log or a record that cannot be written stops the run before anything is installed, naming it") {
  for (bool record : {false, true}) {
    CAPTURE(record);
    Fixture f(record ? "norecord" : "nolog");
    std::string log = f.dest + "\\Uninst.log", blocked = record ? LogRecordPath(log.c_str()).c_str() : log;
    // A folder where the file goes: it cannot be opened.
    CreateDirectoryA((f.dir + "Program Files").c_str(), nullptr);
    CreateDirectoryA(f.dest.c_str(), nullptr);
    REQUIRE(CreateDirectoryA(blocked.c_str(), nullptr));
    CHECK(StartInstall(f.run) == kInstallFailed);
    RemoveDirectoryA(blocked.c_str());
    CHECK_FALSE(f.run.Succeeded.IsSet());
    CHECK_FALSE(Exists(f.dest + "\\engtest.txt"));
    CHECK_FALSE(Exists(log));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, f.EntryKey()));
    REQUIRE(g_messages.size() == 2);
    CHECK(g_messages[0].find(std::string("Error|The ") + (record ? "record of the uninstall log" : "uninstall log") +
                             " could not be written: " + blocked) == 0);
    CHECK(g_messages[1] == "Warning|Setup was aborted.");
  }
}

TEST_CASE("the log goes on where its record vouches for it, brought up to the record; any other is begun anew") {
  const std::string head = "[General]\r\nMessageString=Q\r\nOKString=\r\n", none = "<none>", a = "[Files]\r\nFile1=a\r\n";
  // The log and the record found, and the log before this run's lines ("" for a new one).
  const std::string rows[][3] = {{head, head, head},
                                 {head, head + a, head + a},                 // a run ended between record and log
                                 {head + a, head + a + "File2=", head + a},  // a line cut while written
                                 {head + "File1=..\\x\r\n", head, ""},     // edited
                                 {head, none, ""}, {none, head, ""}, {a, a, ""}};  // no record, no log, no texts
  int n = 0;
  for (auto& row : rows) {
    CAPTURE(n);
    std::string log = NewScratchFolder("store" + std::to_string(n++)) + "Uninst.log";
    std::string record = LogRecordPath(log.c_str()).c_str();
    DeleteFileA(record.c_str());
    for (int i : {0, 1}) REQUIRE((row[i] == none || WriteTextFile(i ? record : log, row[i])));
    TDurableLogStore resumed(log.c_str()), store(log.c_str());
    CHECK(resumed.Open(false) == !row[2].empty());
    resumed.Close();
    REQUIRE(store.Open(true));
    CHECK(store.StartBytes() == row[2].size());
    // A value already there adds nothing; the run's own lines open with a header.
    CHECK((store.Write("General", "MessageString", "Q") && store.Write("Files", "File9", "n")));
    store.Close();
    std::string after = row[2] + (row[2].empty() ? "[General]\r\nMessageString=Q\r\n" : "") + "[Files]\r\nFile9=n\r\n";
    CHECK((Text(log) == after && Text(record) == after));
    DeleteFileA(record.c_str());
  }
}

TEST_CASE("a log that refuses its writes after the run: the product key, links and associations it cannot "
          "name are not made, or removed again, and the host is told") {
  Fixture f("finishlog");
  // The record becomes a folder once the uninstall entry is written: every
  // write of the product key and at Finish is refused.
  struct THost : TTestRunHost {
    std::string record, entry;
    std::vector<std::string> failed;
    void Progress(int percent) override {
      if (percent == 100 && KeyExists(HKEY_LOCAL_MACHINE, entry) && DeleteFileA(record.c_str()))
        CreateDirectoryA(record.c_str(), nullptr);
    }
    void Failed(const char* action, const TStr& subject, unsigned) override { failed.push_back(std::string(action) + " " + subject.c_str()); }
  } host;
  host.record = LogRecordPath((f.dest + "\\Uninst.log").c_str()).c_str();
  host.entry = f.EntryKey();
  f.run.Host = &host;
  for (const char* key : {".kstengtest", "KestinEngineTest.Document", ".kstengtxt"}) DeleteKeyTree(HKEY_CLASSES_ROOT, key);
  DeleteKeyTree(HKEY_CURRENT_USER, "Software\\KestinEngineTest");
  SetRegString(HKEY_CLASSES_ROOT, ".kstengtest", "Content Type", "text/x-theirs");  // another program's, without a type
  REQUIRE(StartInstall(f.run) == kInstallSucceeded);
  std::string log = f.Log(), told = "uninstall log written " + host.record;
  for (TShortcutKind kind : {kDesktopShortcuts, kProgramShortcuts}) CreateShortcuts(f.run, kind, f.dir.c_str());
  for (int i : {1, 2}) WriteAssociation(f.run, i);  // .kstengtxt is made, then removed again
  CHECK((RemoveDirectoryA(host.record.c_str()) && f.Log() == log));
  CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\KestinEngineTest"));  // made, then removed again
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstengtest", nullptr) == "<no value>");
  CHECK(RegString(HKEY_CLASSES_ROOT, ".kstengtest", "Content Type") == "text/x-theirs");
  CHECK_FALSE((KeyExists(HKEY_CLASSES_ROOT, "KestinEngineTest.Document") || KeyExists(HKEY_CLASSES_ROOT, ".kstengtxt") || Exists(f.dir + "Engine Test.lnk") ||
               Exists(f.dir + "Kestin Engine Test")));
  // Each store tells its first failure once, and each thing it did not make.
  CHECK(host.failed == std::vector<std::string>{told, "key set HKEY_CURRENT_USER\\Software\\KestinEngineTest", told,
                                                "shortcut made " + f.dir + "Engine Test.lnk", told, "shortcut made " +
                                                f.dir + "Kestin Engine Test\\Tools\\Engine Notes.lnk", told,
                                                "key set HKEY_CLASSES_ROOT\\.kstengtest", told, "key set HKEY_CLASSES_ROOT\\.kstengtxt"});
  DeleteKeyTree(HKEY_CLASSES_ROOT, ".kstengtest");
}

TEST_CASE("a run with nothing selected still writes the log, the entry and the uninstaller") {
  Fixture f("empty");
  f.run.Choices.ComponentChecks[0] = f.run.Choices.ComponentChecks[2] = false;
  REQUIRE(StartInstall(f.run) == kInstallSucceeded);
  CHECK(f.Log().find("[Files]\r\nFile1=created-later.ini\r\n") != std::string::npos);
  CHECK(KeyExists(HKEY_LOCAL_MACHINE, f.EntryKey()));
  // A foreign file of the uninstaller's name is never replaced: the run fails
  // and is rolled back instead.
  Fixture g("foreign");
  REQUIRE(WriteTextFile(g.windows + "\\KestinEngTest.kvl", "another program's file"));
  CHECK(StartInstall(g.run) == kInstallFailed);
  CHECK(Text(g.windows + "\\KestinEngTest.kvl") == "another program's file");
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, g.EntryKey()));
  CHECK(Fixture::g_rollbacks.size() == 1);
}

TEST_CASE("a file named twice is recorded once, as the package stores it; a list name spelt with '/' in another case "
          "finds its stored file; empty sizes do not divide by zero") {
  Fixture f("dup");
  WritePrivateProfileStringA("ProgramFiles", "2", "DOCS/notes.txt", f.script.c_str());
  WritePrivateProfileStringA("ProgramFiles", "3", "engtest.txt", f.script.c_str());
  WritePrivateProfileStringA("ProgramFiles", "4", nullptr, f.script.c_str());
  for (long long& size : f.run.Choices.ComponentSizes) size = 0;
  REQUIRE(StartInstall(f.run) == kInstallSucceeded);
  CHECK(f.Log().find("[Files]\r\nFile1=DOCS\\notes.txt\r\nFile2=engtest.txt\r\nFile3=created-later.ini\r\n") !=
        std::string::npos);
  REQUIRE(!f.host.Positions.empty());
  CHECK(f.host.Positions.back() == 100);
}

namespace {
TPackagePlace g_readPlace;
TStr g_threadText;
DWORD WINAPI ReadOnThread(void*) { return ReadPackageFile(g_readPlace, "engtest.txt", &g_threadText) ? 0 : 1; }
}  // namespace

TEST_CASE("readers at once each read through callbacks of their own, up to the table; a freed set serves again") {
  Fixture f("readers");
  std::string expected = Text(f.tree + "\\engtest.txt");
  TCabinetReader held[4], extra;
  for (TCabinetReader& r : held) REQUIRE(r.CreateContext());
  CHECK_FALSE(extra.CreateContext());
  CHECK(extra.Failure.Is(kErrorPackage, kCabinetNoContext));
  held[1].DestroyContext();
  held[3].DestroyContext();
  // Two reads at once: one on a thread of its own, one here.
  g_readPlace = f.run.Package;
  HANDLE thread = CreateThread(nullptr, 0, ReadOnThread, nullptr, 0, nullptr);
  TStr here;
  CHECK(ReadPackageFile(f.run.Package, "engtest.txt", &here));
  DWORD code = 1;
  CHECK((WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code) && code == 0));
  CloseHandle(thread);
  for (const TStr* text : {&here, &g_threadText}) CHECK(std::string(text->c_str(), text->size()) == expected);
}

TEST_CASE("a link or a second name on the way to an installed file stops the run before anything is written there") {
  // What is planted in the destination, what kind of link, what it reaches, what the run says.
  const std::string refused = "\nSetup will not write through a link", noLog = "The uninstall log could not be written";
  const char* rows[][3] = {{"docs", "folder", "victim"}, {"engtest.txt", "file", "victim\\notes.txt"},
                           {"engtest.txt", "hard", "victim\\notes.txt"}, {"engtest.txt", "dangling", "victim\\made.txt"},
                           {"Uninst.log", "file", "victim\\notes.txt"}};
  int n = 0;
  for (auto& row : rows) {
    std::string kind = row[1];
    CAPTURE(kind);
    Fixture f("link" + std::to_string(n++));
    std::string victim = f.dir + row[2], planted = f.dest + "\\" + row[0];
    for (auto* folder : {"Program Files", "Program Files\\Engine Test", "victim"}) CreateDirectoryA((f.dir + folder).c_str(), nullptr);
    REQUIRE(WriteTextFile(f.dir + "victim\\notes.txt", "the victim's own text"));
    REQUIRE((kind == "hard" ? CreateHardLinkA(planted.c_str(), victim.c_str(), nullptr) : MakeSymbolicLink(victim, planted)));
    CHECK(StartInstall(f.run) == kInstallFailed);
    CHECK(Text(f.dir + "victim\\notes.txt") == "the victim's own text");
    CHECK_FALSE(Exists(f.dir + "victim\\made.txt"));
    CHECK(Fixture::g_rollbacks.size() == 1);
    REQUIRE(g_messages.size() == 2);
    CHECK(g_messages[0].find(n < 5 ? "File: " + planted + refused : noLog) != std::string::npos);
  }
}
