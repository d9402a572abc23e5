// The uninstall run on a hand-made installation in the throw-away prefix:
// files, keys, verbs, shortcuts and an uninstall entry, recorded in a log
// written by hand, then removed through the real run. Questions are answered
// through the message hook.
#include <doctest/doctest.h>

#include <map>

#include "base/message_box.h"
#include "uninstall/uninstall_run.h"
#include "uninstall_test_support.h"

using namespace uninstall_test;

namespace {

const char kUninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::vector<std::string> g_boxes;  // "caption|text"
int g_answer = IDYES;
int Record(void*, const char* text, const char* caption, unsigned) {
  g_boxes.push_back(std::string(caption) + "|" + text);
  return g_answer;
}

struct TInstallation {
  std::string tag = std::to_string(GetTickCount()) + std::to_string(rand() % 1000);
  std::string root = NewScratchFolder("unin");
  std::string dest = root + "Demo\\";
  std::string log = dest + "Uninst.log";
  std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  std::string programs = ShellFolder(CSIDL_PROGRAMS);
  std::string system = ShellFolder(CSIDL_SYSTEM);
  std::string productKey = "Software\\KestinTest\\" + tag;
  std::string type = "KestinTest.Doc" + tag, ext = ".kt" + tag;
  std::string existingType = "KestinTest.Existing" + tag;
  std::string entry = "KestinTest" + tag;
  std::string group = "KestinTest Group " + tag;
  std::string sysFile = "kestintest_" + tag + ".dll";
  std::string desktopLink = desktop + "\\KestinTest " + tag + ".lnk";
  std::map<std::string, std::string> logValues;  // "Section|Key" -> value

  TInstallation() {
    REQUIRE(!desktop.empty());
    REQUIRE(!programs.empty());
    // What was there before: a file type of another program with its own
    // verb, a system file, a key beside the product's.
    SetValue(HKEY_CLASSES_ROOT, existingType + "\\shell\\open\\command", "", "other.exe \"%1\"");
    SetValue(HKEY_CURRENT_USER, "Software\\KestinTest\\Other" + tag, "Keep", "1");
    Touch(system + "\\kestintest_before_" + tag + ".dll");
  }
  ~TInstallation() {
    DeleteTree(HKEY_CLASSES_ROOT, existingType);
    DeleteTree(HKEY_CLASSES_ROOT, type);
    DeleteTree(HKEY_CLASSES_ROOT, ext);
    DeleteTree(HKEY_CURRENT_USER, "Software\\KestinTest");
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallList + entry);
    DeleteFileA((system + "\\kestintest_before_" + tag + ".dll").c_str());
    DeleteFileA((system + "\\" + sysFile).c_str());
  }

  void Log(const std::string& section, const std::string& key, const std::string& value) {
    logValues[section + "|" + key] = value;
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), log.c_str());
    REQUIRE(SealLog(log));
  }

  // What an installation of the product leaves, and its log.
  void Install() {
    Touch(dest + "demo.exe");
    Touch(dest + "docs\\guide.txt");
    SetFileAttributesA((dest + "docs\\guide.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Touch(dest + "docs\\deep\\x.dat");
    Touch(system + "\\" + sysFile);
    SetValue(HKEY_CURRENT_USER, productKey, "User", "Bob");
    SetValue(HKEY_CLASSES_ROOT, ext, "", type);
    SetValue(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", "", "demo.exe \"%1\"");
    SetValue(HKEY_CLASSES_ROOT, type + "\\shell\\Open with Demo\\command", "", "demo.exe \"%1\"");
    SetValue(HKEY_CLASSES_ROOT, existingType + "\\shell\\Open with Demo\\command", "", "demo.exe \"%1\"");
    Touch(desktopLink);
    Touch(programs + "\\" + group + "\\Demo.lnk");
    Touch(programs + "\\" + group + "\\Tools\\Tool.lnk");
    SetValue(HKEY_LOCAL_MACHINE, kUninstallList + entry, "UninstallString",
             "C:\\windows\\Uninst.kvl /U \"" + log + "\"");

    Log("General", "MessageString", "Remove Demo " + tag + "?");
    Log("General", "OKString", "Demo has been removed.");
    Log("Files", "File1", "demo.exe");
    Log("Files", "File2", "docs\\guide.txt");
    Log("Files", "File3", "docs\\deep\\x.dat");
    Log("Files", "File4", "deleted-by-the-user.txt");
    Log("SysFiles", "File1", sysFile);
    // Not a real server: the system's tool fails on it, silently, and the
    // file goes all the same.
    Log("Register", "File1", sysFile);
    Log("Uninstall", "SectionName", entry);
    Log("Registry", "Root", "CU");
    Log("Registry", "Section", productKey);
    Log("Registry", "Value1", "User");
    Log("Shortcuts", "Group", group);
    Log("Shortcuts", "Link1", desktopLink);
    Log("Shortcuts", "RmDir1", "0");
    Log("Shortcuts", "Link2", programs + "\\" + group + "\\Demo.lnk");
    Log("Shortcuts", "RmDir2", "0");
    Log("Shortcuts", "Link3", programs + "\\" + group + "\\Tools\\Tool.lnk");
    Log("Shortcuts", "RmDir3", "1");
    Log("Shortcuts", "Folder1", programs + "\\" + group);
    Log("Shortcuts", "Folder2", programs + "\\" + group + "\\Tools");
    Log("Extensions", "PATH_1", existingType + "\\shell\\Open with Demo");
    Log("Extensions", "PATH_2", type + "\\shell\\Open with Demo");
    Log("Extensions", "DefaultType1", type);
    Log("Extensions", "Default1", ext);
    Log("Created", "Key1", ext);
    Log("Created", "Key2", type);
  }

  // Everything the product may have touched.
  std::set<std::string> Snapshot() const {
    std::set<std::string> s;
    ListTree(root.substr(0, root.size() - 1), "root\\", s);
    ListTree(desktop, "desktop\\", s);
    ListTree(programs, "programs\\", s);
    for (auto* name : {&sysFile}) if (Exists(system + "\\" + *name)) s.insert("system\\" + *name);
    if (Exists(system + "\\kestintest_before_" + tag + ".dll")) s.insert("system\\before");
    ListKeys(HKEY_CURRENT_USER, "Software\\KestinTest", s);
    for (auto* k : {&type, &ext, &existingType}) ListKeys(HKEY_CLASSES_ROOT, *k, s);
    ListKeys(HKEY_LOCAL_MACHINE, kUninstallList + entry, s);
    return s;
  }
};

// Boxes through ShowMessage, which Record answers, as the uninstaller shows them.
TMessageBoxHost g_host;

TUninstallOutcome Uninstall(const std::string& log, bool fullMode, int answer = IDYES) {
  g_boxes.clear();
  g_answer = answer;
  MessageHook = Record;
  TUninstallOutcome o;
  UninstallFromLog(log.c_str(), fullMode, &o, g_host);
  MessageHook = nullptr;
  return o;
}

std::string Join(const std::set<std::string>& s) {
  std::string r;
  for (auto& x : s) r += x + "\n";
  return r;
}

}  // namespace

TEST_CASE("Yes removes exactly what the log records, in a read-only file's and a deleted file's case too") {
  TInstallation inst;
  std::set<std::string> before = inst.Snapshot();
  inst.Install();
  TUninstallOutcome o = Uninstall(inst.log, true);
  REQUIRE(g_boxes.size() == 1);
  CHECK(g_boxes[0] == "Warning|Remove Demo " + inst.tag + "?");
  CHECK(o.Confirmed);
  CHECK(o.NotRemoved.Count() == 0);
  CHECK(o.Skipped.Count() == 0);
  CHECK(std::string(o.DoneMessage.c_str()) == "Demo has been removed.");
  CHECK(Join(inst.Snapshot()) == Join(before));
  CHECK_FALSE(Exists(inst.dest));
  CHECK_FALSE(Exists(LogRecordPath(inst.log.c_str()).c_str()));
  // The existing type keeps its own verb; only the added one went.
  CHECK(KeyExists(HKEY_CLASSES_ROOT, inst.existingType + "\\shell\\open\\command"));
}

TEST_CASE("a file the user added keeps its folder, an extension taken over stays; everything recorded goes") {
  TInstallation inst;
  std::set<std::string> before = inst.Snapshot();
  inst.Install();
  Touch(inst.dest + "docs\\mine.txt", "the user's");
  SetValue(HKEY_CLASSES_ROOT, inst.ext, "", "Other.Type");
  Uninstall(inst.log, true);
  std::set<std::string> expected = before;
  expected.insert({"root\\Demo\\", "root\\Demo\\docs\\", "root\\Demo\\docs\\mine.txt", inst.ext, inst.ext + "|=Other.Type"});
  CHECK(Join(inst.Snapshot()) == Join(expected));
}

TEST_CASE("a file in use stays and is named; the rest goes; a second run finds no log and ends cleanly") {
  TInstallation inst;
  std::set<std::string> before = inst.Snapshot();
  inst.Install();
  std::string busy = inst.dest + "demo.exe";
  HANDLE h = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(h != INVALID_HANDLE_VALUE);
  TUninstallOutcome o = Uninstall(inst.log, true);
  CloseHandle(h);
  REQUIRE(o.NotRemoved.Count() == 1);
  CHECK(std::string(o.NotRemoved[0].c_str()) == busy);
  std::string done = o.DoneMessage.c_str();
  CHECK(done.find("Demo has been removed.") == 0);
  CHECK(done.find("could not be removed:\r\n" + busy) != std::string::npos);
  std::set<std::string> expected = before;
  expected.insert({"root\\Demo\\", "root\\Demo\\demo.exe"});
  CHECK(Join(inst.Snapshot()) == Join(expected));

  TUninstallOutcome again = Uninstall(inst.log, true);
  CHECK_FALSE(again.LogFound);
  CHECK(g_boxes.empty());
}

TEST_CASE("a missing log: nothing is touched, not even empty folders; the uninstaller says so, the rollback not") {
  TInstallation inst;
  CreateDirectoryA((inst.root + "Empty").c_str(), nullptr);
  CreateDirectoryA((inst.root + "Empty\\Tree").c_str(), nullptr);
  g_boxes.clear();
  MessageHook = Record;
  UninstallRun((inst.root + "Empty\\Tree\\no-such.log").c_str(), true, g_host);
  UninstallRun((inst.root + "Empty\\Tree\\no-such.log").c_str(), false, g_host);
  MessageHook = nullptr;
  REQUIRE(g_boxes.size() == 1);
  CHECK(g_boxes[0].find("Warning|Nothing was removed") == 0);
  CHECK(Exists(inst.root + "Empty\\Tree"));
}

TEST_CASE("hostile entries in a log leave the system's files, keys, verbs and other programs' folders as they were") {
  TInstallation inst;
  std::string other = "Software\\KestinTest\\Other" + inst.tag, vendor = inst.programs + "\\KestinOther " + inst.tag;
  std::string userFolder = inst.desktop + "\\KestinTest mine " + inst.tag;
  for (auto* f : {&userFolder, &vendor}) Touch(*f + "\\x.lnk");
  using TEntries = std::vector<std::vector<std::string>>;  // section, key, value
  const TEntries rows[] = {
      {{"SysFiles", "File1", "drivers\\etc\\hosts"}},
      {{"Register", "File1", "msxml3.dll"}},
      {{"Registry", "Root", "LM"}, {"Registry", "Section", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"}},
      {{"Registry", "Root", "LM"}, {"Registry", "Section", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"}},
      {{"Registry", "Root", "CU"}, {"Registry", "Section", other}},
      {{"Registry", "Root", "CU"}, {"Registry", "Section", other}, {"Registry", "Value1", "Absent"}},
      {{"Extensions", "PATH_1", "txtfile\\shell\\open"}, {"Extensions", "PATH_2", "htmlfile\\shell\\open"}},
      {{"Created", "Key1", "http"}, {"Created", "Key2", "htmlfile"}, {"Created", "Key3", "inifile"}},
      {{"Shortcuts", "Link1", userFolder + "\\x.lnk"}, {"Shortcuts", "RmDir1", "1"}},
      {{"Shortcuts", "Link1", vendor + "\\x.lnk"}, {"Shortcuts", "RmDir1", "1"}},
  };
  auto victims = [&] {
    std::set<std::string> s;
    ListTree(inst.desktop, "desktop\\", s), ListTree(inst.programs, "programs\\", s);
    if (Exists(inst.system + "\\drivers\\etc\\hosts")) s.insert("hosts");
    ListKeys(HKEY_CURRENT_USER, "Software\\KestinTest", s);
    for (const char* k : {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"})
      ListKeys(HKEY_LOCAL_MACHINE, k, s);
    for (const char* k : {"txtfile", "htmlfile", "http", "inifile", "Msxml2.DOMDocument.3.0"})
      ListKeys(HKEY_CLASSES_ROOT, k, s);
    return s;
  };
  for (const TEntries& row : rows) {
    CAPTURE(row[0][2]);
    CreateDirectoryA(inst.dest.c_str(), nullptr);
    inst.Log("General", "MessageString", "Remove?");
    inst.Log("General", "OKString", "");
    for (auto& e : row) inst.Log(e[0], e[1], e[2]);
    std::set<std::string> before = victims();
    TUninstallOutcome o = Uninstall(inst.log, true);
    CHECK(o.Confirmed);
    CHECK(o.Skipped.Count() + o.NotRemoved.Count() >= 1);
    CHECK(Join(victims()) == Join(before));
  }
  DeleteFolderTree(userFolder.c_str());
  DeleteFolderTree(vendor.c_str());
}

TEST_CASE("a log that is not the one Setup sealed, or that another run holds, is refused: nothing is asked, removed or deleted") {
  const char* differs = "Error|This uninstall log does not match the record Setup kept";
  const char* none = "Error|Setup kept no record of this uninstall log";
  const char* running = "Error|Nothing was removed: another uninstall of this product is running.";
  // An entry edited, the record gone, another log's record, the genuine log
  // copied to another folder; the genuine log while another run holds it.
  for (int how = 0; how < 5; how++) {
    CAPTURE(how);
    TInstallation inst;
    inst.Install();
    Touch(inst.root + "victim.txt");
    std::string log = inst.log, record = LogRecordPath(log.c_str()).c_str(), other = inst.root + "Other\\Uninst.log";
    if (how == 0) WritePrivateProfileStringA("Files", "File2", "..\\victim.txt", log.c_str());
    if (how == 1) REQUIRE(DeleteFileA(record.c_str()));
    if (how >= 2) Touch(other, "[General]\r\nOKString=\r\n");
    if (how == 2) REQUIRE((SealLog(other) && CopyFileA(LogRecordPath(other.c_str()).c_str(), record.c_str(), FALSE)));
    if (how == 3) REQUIRE(CopyFileA(inst.log.c_str(), (log = other).c_str(), FALSE));
    HANDLE other_run = how == 4 ? CreateMutexA(nullptr, FALSE, UninstallLockName(log.c_str()).c_str()) : nullptr;
    std::vector<uint8_t> recordBefore = ReadWholeFile(record);
    std::set<std::string> before = inst.Snapshot();
    g_boxes.clear();
    MessageHook = Record;
    CHECK_FALSE(UninstallRun(log.c_str(), true, g_host));
    MessageHook = nullptr;
    REQUIRE(g_boxes.size() == 1);
    if (other_run) CloseHandle(other_run);
    CHECK(g_boxes[0].find(how == 4 ? running : how % 2 ? none : differs) == 0);
    CHECK(g_boxes[0].find(how == 4 ? "Let it finish" : "Reinstall the product") != std::string::npos);
    CHECK(Join(inst.Snapshot()) == Join(before));
    CHECK(ReadWholeFile(record) == recordBefore);
  }
}

TEST_CASE("a file that is not an uninstall log is neither acted on nor deleted") {
  TInstallation inst;
  std::string notes = inst.root + "notes.ini";
  Touch(notes, "[Files]\r\nFile1=..\\other.txt\r\n");
  Touch(inst.root + "other.txt");
  TUninstallOutcome o = Uninstall(notes, true);
  CHECK(o.NotALog);
  CHECK_FALSE(o.Confirmed);
  CHECK(g_boxes.empty());
  CHECK(Exists(notes));
  CHECK(Exists(inst.root + "other.txt"));
  g_boxes.clear();
  MessageHook = Record;
  UninstallRun(notes.c_str(), true, g_host);
  MessageHook = nullptr;
  REQUIRE(g_boxes.size() == 1);
  CHECK(g_boxes[0].find("Warning|Nothing was removed: this file is not an uninstall log.") == 0);
}

TEST_CASE("hostile log entries are skipped and reported; what they name stays") {
  TInstallation inst;
  Touch(inst.root + "outside.txt");
  Touch(inst.root + "victim.lnk");
  Touch(inst.desktop + "\\KestinTest keep " + inst.tag + ".txt");
  Touch(inst.dest + "own.txt");
  inst.Log("General", "MessageString", "Remove?");
  inst.Log("General", "OKString", "Removed.");
  inst.Log("Files", "File1", "..\\outside.txt");
  inst.Log("Files", "File2", inst.root + "outside.txt");
  inst.Log("Files", "File3", "own.txt");
  inst.Log("Registry", "Root", "CU");
  inst.Log("Registry", "Section", "\\");
  inst.Log("Extensions", "PATH_1", inst.existingType + "\\shell");
  inst.Log("Shortcuts", "Link1", inst.root + "victim.lnk");
  inst.Log("Shortcuts", "Link2", inst.desktopLink);
  inst.Log("Shortcuts", "RmDir2", "1");
  inst.Log("Uninstall", "SectionName", "\\");
  Touch(inst.desktopLink);
  std::set<std::string> before = inst.Snapshot();

  TUninstallOutcome o = Uninstall(inst.log, true);
  CHECK(o.Skipped.Count() == 7);
  std::string done = o.DoneMessage.c_str();
  CHECK(done.find("These uninstall log entries were not acted on:") != std::string::npos);
  CHECK(done.find("Files File1 (..\\outside.txt)") != std::string::npos);
  // Only the valid entries were acted on: own.txt, the shortcut (without its
  // folder, the desktop) and the log; the rest is as it was.
  for (auto* gone : {"root\\Demo\\", "root\\Demo\\own.txt", "root\\Demo\\Uninst.log"}) before.erase(gone);
  before.erase("desktop\\KestinTest " + inst.tag + ".lnk");
  CHECK(Join(inst.Snapshot()) == Join(before));
  CHECK(KeyExists(HKEY_CLASSES_ROOT, inst.existingType + "\\shell\\open"));
  DeleteFileA((inst.desktop + "\\KestinTest keep " + inst.tag + ".txt").c_str());
}

TEST_CASE("a truncated log: its whole lines are undone, a cut last line is left out, and the run ends cleanly") {
  TInstallation inst;
  inst.Install();
  std::vector<uint8_t> bytes = ReadWholeFile(inst.log);
  std::string text(bytes.begin(), bytes.end());
  // Cut in the middle of the desktop shortcut's path.
  size_t cut = text.find("Link1=") + 6 + inst.desktopLink.size() / 2;
  REQUIRE(WriteWholeFile(inst.log, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut)));
  REQUIRE(SealLog(inst.log));
  TUninstallOutcome o = Uninstall(inst.log, true);
  CHECK(o.Confirmed);
  // The cut line was never whole, so nothing it names was made after it.
  CHECK(o.Skipped.Count() == 0);
  CHECK(o.NotRemoved.Count() == 0);
  CHECK_FALSE(Exists(inst.dest));
  CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, inst.productKey));
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallList + inst.entry));
  // Recorded after the cut: still there.
  CHECK(Exists(inst.desktopLink));
  CHECK(Exists(inst.programs + "\\" + inst.group + "\\Demo.lnk"));
  CHECK(KeyExists(HKEY_CLASSES_ROOT, inst.type + "\\shell\\Open with Demo"));
  DeleteFileA(inst.desktopLink.c_str());
  DeleteFolderTree((inst.programs + "\\" + inst.group).c_str());
}

TEST_CASE("rollback asks the same question; Yes removes what was recorded, No keeps it") {
  TInstallation inst;
  std::set<std::string> before = inst.Snapshot();
  // A cancelled run gets as far as some files.
  Touch(inst.dest + "demo.exe");
  Touch(inst.dest + "docs\\guide.txt");
  inst.Log("General", "MessageString", "Remove Demo " + inst.tag + "?");
  inst.Log("General", "OKString", "");
  inst.Log("Files", "File1", "demo.exe");
  inst.Log("Files", "File2", "docs\\guide.txt");
  std::set<std::string> partial = inst.Snapshot();

  g_boxes.clear();
  g_answer = IDNO;
  MessageHook = Record;
  UninstallRun(inst.log.c_str(), false, g_host);
  CHECK(g_boxes == std::vector<std::string>{"Warning|Remove Demo " + inst.tag + "?"});
  CHECK(Join(inst.Snapshot()) == Join(partial));

  g_boxes.clear();
  g_answer = IDYES;
  UninstallRun(inst.log.c_str(), false, g_host);
  MessageHook = nullptr;
  // The rollback shows no done message.
  CHECK(g_boxes == std::vector<std::string>{"Warning|Remove Demo " + inst.tag + "?"});
  CHECK(Join(inst.Snapshot()) == Join(before));
}

TEST_CASE("a log declares its code page: one written under UTF-8 reads the same here, names and question") {
  REQUIRE(GetACP() == 1252);  // this program runs under the session's code page, not UTF-8
  std::string dest = NewScratchFolder("unin-cp") + "Demo\\";
  Touch(dest + "Gr\xF6\xDF" "e.txt");  // Größe.txt, named in this program's code page
  std::string log = dest + "Uninst.log";
  REQUIRE(WriteTextFile(log, "[General]\r\nMessageString=Gr\xC3\xB6\xC3\x9F" "e entfernen?\r\nOKString=Fertig.\r\n"
                             "CodePage=65001\r\n[Files]\r\nFile1=Gr\xC3\xB6\xC3\x9F" "e.txt\r\n"));
  REQUIRE(SealLog(log));
  TUninstallOutcome o = Uninstall(log, true);
  REQUIRE(g_boxes.size() == 1);
  CHECK(g_boxes[0] == "Warning|Gr\xF6\xDF" "e entfernen?");
  CHECK(o.NotRemoved.Count() == 0);
  CHECK_FALSE(Exists(dest));
}

TEST_CASE("a link planted in the installation or at the log is never followed: what it reaches stays") {
  for (std::string planted : {"docs", "demo.exe", "Uninst.log"}) {
    CAPTURE(planted);
    TInstallation inst;
    bool folder = planted == "docs";
    std::string link = inst.dest + planted, victim = inst.root + "victim-" + planted;
    CreateDirectoryA(inst.dest.c_str(), nullptr);
    CreateDirectoryA(victim.c_str(), nullptr);  // the folder link's target; written through by Install
    if (folder) REQUIRE(MakeSymbolicLink(victim, link));
    inst.Install();
    if (!folder) {  // a file link, or the log as a link, in place of what the installation put there
      RemoveDirectoryA(victim.c_str());
      REQUIRE(MoveFileA(link.c_str(), victim.c_str()));
      REQUIRE(MakeSymbolicLink(victim, link));
    }
    std::string reached = folder ? victim + "\\guide.txt" : victim, before = Text(reached);
    REQUIRE(!before.empty());
    TUninstallOutcome o = Uninstall(inst.log, true);
    CHECK(Text(reached) == before);
    CHECK((planted == "Uninst.log") == o.NotALog);
    if (!o.NotALog) CHECK(std::string(o.NotRemoved[0].c_str()) == link + (folder ? "\\guide.txt" : ""));
    SetFileAttributesA(reached.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}
