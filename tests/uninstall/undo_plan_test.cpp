#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "uninstall/memory_log_store.h"
#include "uninstall/undo_plan.h"

namespace {

const char kDesktop[] = "C:\\Users\\Bob\\Desktop";
const char kPrograms[] = "C:\\Users\\Bob\\Start Menu\\Programs";

struct TMachine {
  TUndoContext context;
  explicit TMachine(bool fullMode = true) {
    context.LogPath = "C:\\Apps\\Demo\\Uninst.log";
    context.SystemFolder = "C:\\Windows\\System32";
    context.ShortcutRoots.Add(kDesktop);
    context.ShortcutRoots.Add(kPrograms);
    context.ProgramsFolder = kPrograms;
    context.FullMode = fullMode;
  }
};

const char* KindName(TUndoKind k) {
  switch (k) {
    case kUndoDeleteFile: return "file";
    case kUndoRestoreFile: return "restore";
    case kUndoUnregister: return "unregister";
    case kUndoDeleteSysFile: return "sysfile";
    case kUndoDeleteProductValue: return "value";
    case kUndoDeleteProductKey: return "key";
    case kUndoDeleteVerb: return "verb";
    case kUndoDeleteClassKey: return "class";
    case kUndoClearExtensionDefault: return "default";
    case kUndoDeleteShortcut: return "link";
    case kUndoRemoveEmptyFolders: return "group";
    case kUndoDeleteUninstallEntry: return "entry";
  }
  return "?";
}

std::string Steps(const TUndoPlan& plan) {
  std::string s;
  for (int i = 0; i < plan.Steps.Count(); i++) {
    const TUndoStep& st = plan.Steps[i];
    bool key = st.Kind == kUndoDeleteProductKey || st.Kind == kUndoDeleteProductValue;
    s += std::string(KindName(st.Kind)) + (key ? (st.LocalMachine ? "(LM)" : "(CU)") : "") + " " + st.Target.c_str() +
         (st.Value.empty() && st.Kind != kUndoDeleteProductValue ? "" : std::string(" |") + st.Value.c_str()) + "\n";
  }
  return s;
}

void Write(TMemoryLogStore& log, const char* section, const char* key, const std::string& value) {
  log.Write(section, key, TStr(value.c_str()));
}

}  // namespace

TEST_CASE("a complete log becomes undo steps in the fixed order, whatever order the sections are in") {
  TMemoryLogStore log;
  // Written out of order on purpose: the plan's order is its own.
  Write(log, "Extensions", "PATH_1", "Demo.Document\\shell\\Open with Demo");
  Write(log, "Created", "Key1", ".dmo");
  Write(log, "Created", "Key2", "Demo.Document");
  Write(log, "Extensions", "DefaultType1", "Demo.Document");
  Write(log, "Extensions", "Default1", ".dmo");
  Write(log, "Shortcuts", "Group", "Demo");
  Write(log, "Shortcuts", "Link1", std::string(kDesktop) + "\\Demo.lnk");
  Write(log, "Shortcuts", "RmDir1", "0");
  Write(log, "Shortcuts", "Link2", std::string(kPrograms) + "\\Demo\\Demo.lnk");
  Write(log, "Shortcuts", "RmDir2", "1");
  Write(log, "Shortcuts", "Folder1", std::string(kPrograms) + "\\Demo");
  Write(log, "Uninstall", "SectionName", "Demo");
  Write(log, "Registry", "Root", "LM");
  Write(log, "Registry", "Section", "Software\\Demo");
  Write(log, "Registry", "Value1", "User");
  Write(log, "Registry", "DefaultValue", "1");
  Write(log, "General", "MessageString", "Remove Demo?");
  Write(log, "General", "OKString", "Demo has been removed.");
  Write(log, "Files", "File1", "demo.exe");
  Write(log, "Files", "File2", "docs\\guide.txt");
  Write(log, "SysFiles", "File1", "democtl.ocx");
  Write(log, "Register", "File1", "democtl.ocx");

  TMachine m;
  TUndoPlan plan;
  ReadUndoPlan(log, m.context, &plan);
  CHECK(plan.Question == "Remove Demo?");
  CHECK(plan.DoneMessage == "Demo has been removed.");
  CHECK(plan.Skipped.Count() == 0);
  CHECK(Steps(plan) ==
        "file C:\\Apps\\Demo\\demo.exe\n"
        "file C:\\Apps\\Demo\\docs\\guide.txt\n"
        "unregister C:\\Windows\\System32\\democtl.ocx\n"
        "sysfile C:\\Windows\\System32\\democtl.ocx\n"
        "value(LM) Software\\Demo |User\n"
        "value(LM) Software\\Demo |\n"
        "key(LM) Software\\Demo\n"
        "verb Demo.Document\\shell\\Open with Demo\n"
        "default .dmo |Demo.Document\n"
        "class .dmo |Demo.Document\n"
        "class Demo.Document\n"
        "link C:\\Users\\Bob\\Desktop\\Demo.lnk\n"
        "link C:\\Users\\Bob\\Start Menu\\Programs\\Demo\\Demo.lnk\n"
        "group C:\\Users\\Bob\\Start Menu\\Programs\\Demo\n"
        "entry Demo\n");
}

TEST_CASE("the rollback plan leaves the uninstall entry alone") {
  TMemoryLogStore log;
  Write(log, "Files", "File1", "demo.exe");
  Write(log, "Uninstall", "SectionName", "Demo");
  TMachine m(false);
  TUndoPlan plan;
  ReadUndoPlan(log, m.context, &plan);
  CHECK(Steps(plan) == "file C:\\Apps\\Demo\\demo.exe\n");
}

TEST_CASE("a replaced file: the rollback gives the kept one its name back after the deletions, /U before them") {
  TMemoryLogStore log;
  // No File1: a rollback reads only its run's lines, and the log named the file already.
  Write(log, "Replaced", "Aside1", "docs\\guide.txt.0badf00d.kestin-old");
  Write(log, "Files", "File1", "docs\\guide.txt");
  const std::string file = "file C:\\Apps\\Demo\\docs\\guide.txt\n",
                    restore = "restore C:\\Apps\\Demo\\docs\\guide.txt |C:\\Apps\\Demo\\docs\\guide.txt.0badf00d.kestin-old\n";
  for (bool full : {true, false}) {
    TUndoPlan plan;
    ReadUndoPlan(log, TMachine(full).context, &plan);
    CHECK(Steps(plan) == (full ? restore + file : file + restore));
  }
}

TEST_CASE("the done message defaults only when the key is absent; Root other than LM is the user's") {
  TMemoryLogStore log;
  TMachine m;
  TUndoPlan absent;
  ReadUndoPlan(log, m.context, &absent);
  CHECK(absent.DoneMessage == "Uninstall complete.");
  CHECK(absent.Steps.Count() == 0);

  Write(log, "General", "OKString", "");
  Write(log, "Registry", "Root", "lm");  // exact case: "lm" is not "LM"
  Write(log, "Registry", "Section", "Software\\Demo");
  Write(log, "Registry", "DefaultValue", "1");
  TUndoPlan empty;
  ReadUndoPlan(log, m.context, &empty);
  CHECK(empty.DoneMessage == "");
  CHECK(Steps(empty) == "value(CU) Software\\Demo |\nkey(CU) Software\\Demo\n");
}

TEST_CASE("hostile or damaged log entries are skipped and reported, never turned into steps") {
  std::string longName(250, 'x');
  struct {
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"Files", "File1", "..\\..\\Windows\\win.ini"},
      {"Files", "File1", "docs\\..\\..\\boot.ini"},
      {"Files", "File1", "C:\\Windows\\win.ini"},
      {"Files", "File1", "\\Windows\\win.ini"},
      {"Files", "File1", "docs\\ ..\\x"},
      {"Files", "File1", "a:stream"},
      {"Files", "File1", "docs\\\\x"},
      {"Files", "File1", longName},                 // base + name over 255 characters
      {"Files", "File1", std::string(2047, 'y')},   // may have been cut by the reader
      {"SysFiles", "File1", "..\\explorer.exe"},
      {"SysFiles", "File1", "drivers\\etc\\hosts"},
      {"Register", "File1", "..\\x.ocx"},
      {"Register", "File1", "msxml3.dll"},  // not a file the log says was placed
      {"General", "CreatedFolder", "C:\\Other"},
      // With Root=LM: a system tree, or a key without the values that are the product's.
      {"Registry", "Section", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {"Registry", "Section", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
      {"Registry", "Section", "Control Panel\\Desktop"},
      {"Registry", "Section", "Software\\OtherVendor"},
      {"Extensions", "PATH_1", "txtfile\\shell\\open"},
      {"Extensions", "PATH_1", "htmlfile\\shell\\Open"},
      {"Created", "Key1", "http"},
      {"Created", "Key1", "htmlfile"},
      {"Created", "Key1", "inifile"},
      {"Shortcuts", "Link1", std::string(kDesktop) + "\\My Stuff\\x.lnk"},
      {"Shortcuts", "Link1", std::string(kPrograms) + "\\OtherVendor\\x.lnk"},
      {"Shortcuts", "Folder1", "C:\\Users\\Bob\\Documents"},
      {"Uninstall", "SectionName", "Demo\\..\\Other"},
      {"Uninstall", "SectionName", "\\"},
      {"Extensions", "PATH_1", "Demo.Document\\shell"},
      {"Extensions", "PATH_1", "Demo.Document\\shell\\"},
      {"Extensions", "PATH_1", "Demo.Document\\shell\\\\"},
      {"Extensions", "PATH_1", "\\shell\\Open"},
      {"Extensions", "PATH_1", "Demo.Document"},
      {"Extensions", "PATH_1", "Demo.Document\\DefaultIcon\\x"},
      {"Extensions", "PATH_1", "exefile\\shell\\open"},
      {"Extensions", "PATH_1", "Demo.Document\\shell\\Open\\command"},
      {"Created", "Key1", "CLSID"},
      {"Created", "Key1", ".exe"},
      {"Created", "Key1", "Demo\\Sub"},
      {"Shortcuts", "Link1", "C:\\Windows\\notepad.lnk"},
      {"Shortcuts", "Link1", std::string(kDesktop) + "\\thesis.doc"},
      {"Shortcuts", "Link1", std::string(kDesktop) + "\\..\\Documents\\x.lnk"},
      {"Shortcuts", "Link1", std::string(kDesktop) + "2\\x.lnk"},
      {"Shortcuts", "Link1", std::string(kDesktop) + "\\" + longName + ".lnk"},
      {"Shortcuts", "Link1", "Demo.lnk"},
      {"Shortcuts", "Group", "..\\..\\Desktop"},
      {"Shortcuts", "Group", "C:\\Apps"},
      // An extension's type the installation set: "extension type".
      {"Extensions", "Default1", ".exe exefile"}, {"Extensions", "Default1", ".txt txtfile"},
      {"Extensions", "Default1", "txtfile Demo.Document"}, {"Extensions", "Default1", ".dmx\\ShellNew Demo.Document"},
      {"Extensions", "Default1", ".dmx"}, {"Extensions", "Default1", ".dmx Demo.Document\\shell"}, {"Extensions", "Default1", ".dmx .dmy"},
      // Where a replaced file was kept: beside it, named as the install names one.
      {"Replaced", "Aside1", "..\\boot.ini.00000000.kestin-old"}, {"Replaced", "Aside1", "docs\\..\\..\\a.txt.00000000.kestin-old"},
      {"Replaced", "Aside1", "C:\\Windows\\a.txt.00000000.kestin-old"}, {"Replaced", "Aside1", "b.txt"},
      {"Replaced", "Aside1", "a.txt.kestin-old"}, {"Replaced", "Aside1", ".00000000.kestin-old"},
      {"Replaced", "Aside1", "a.txt.0000000\\.kestin-old"}, {"Replaced", "Aside1", "a.txt.00000000.kestin-new"},
      {"Replaced", "Aside1", longName + ".00000000.kestin-old"},
  };
  for (auto& c : cases) {
    CAPTURE(c.section);
    CAPTURE(c.value);
    TMemoryLogStore log;
    size_t space = std::string(c.key) == "Default1" ? c.value.find(' ') : std::string::npos;
    Write(log, c.section, c.key, c.value.substr(0, space));
    if (space != std::string::npos) Write(log, c.section, "DefaultType1", c.value.substr(space + 1));
    if (std::string(c.section) == "Registry") Write(log, "Registry", "Root", "LM");
    TMachine m(std::string(c.section) != "Replaced");
    TUndoPlan plan;
    ReadUndoPlan(log, m.context, &plan);
    CHECK(plan.Steps.Count() == 0);
      REQUIRE(plan.Skipped.Count() == 1);
    CHECK(std::string(plan.Skipped[0].c_str()).find(std::string(c.section) + " " + c.key) == 0);
  }
}

TEST_CASE("a product key that is empty, the root itself or a system key is never deleted") {
  for (const char* section : {"", "\\", "Software", "software\\microsoft", "Software\\Demo\\", "\\Software\\Demo",
                              "Software\\\\Demo", "System", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
    CAPTURE(section);
    TMemoryLogStore log;
    Write(log, "Registry", "Root", "LM");
    Write(log, "Registry", "Section", section);
    TMachine m;
    TUndoPlan plan;
    ReadUndoPlan(log, m.context, &plan);
    CHECK(plan.Steps.Count() == 0);
    CHECK(plan.Skipped.Count() == 1);
  }
}

TEST_CASE("an empty uninstall-entry name or Group is no entry at all; a log listing itself is not deleted early") {
  TMemoryLogStore log;
  Write(log, "Uninstall", "SectionName", "");
  Write(log, "Shortcuts", "Group", "");
  Write(log, "Files", "File1", "UNINST.LOG");
  Write(log, "Files", "File2", "after.txt");
  TMachine m;
  TUndoPlan plan;
  ReadUndoPlan(log, m.context, &plan);
  CHECK(Steps(plan) == "file C:\\Apps\\Demo\\after.txt\n");
  CHECK(plan.Skipped.Count() == 0);
}

TEST_CASE("shortcuts: in the desktop or programs folder, the group or a folder created for them; "
          "only created folders go") {
  std::string p = kPrograms, group = p + "\\Demo", tools = std::string(kDesktop) + "\\Tools", none = "C:\\Apps\\";
  // `kept`: the last folder that stays (the destination's parent when no shortcut folder does).
  struct { std::string link, created; const char* group; int skipped; std::string kept; } cases[] = {
      {group + "\\Demo.lnk", group, "Demo", 0, none}, {group + "\\Tools\\x.lnk", group + "\\Tools", "Demo", 0, group},
      {group + "\\Demo.lnk", "", "Demo", 1, group},  // a group the user picked
      {tools + "\\Demo.lnk", tools, "", 0, none}, {p + "\\Demo.lnk", "", "", 1, none},
      {std::string(kDesktop) + "\\Demo.lnk", "", "Demo", 1, group}, {p + "\\Startup\\x.lnk", "", "Startup", 1, p + "\\Startup"},
  };
  for (auto& c : cases) {
    CAPTURE(c.link);
    TMemoryLogStore log;
    Write(log, "Shortcuts", "Link1", c.link);
    Write(log, "Shortcuts", "RmDir1", "1");
    Write(log, "Shortcuts", "Group", c.group);
    Write(log, "Shortcuts", "Folder1", c.created);
    TMachine m;
    TUndoPlan plan;
    ReadUndoPlan(log, m.context, &plan);
    CHECK(Steps(plan).find("link " + c.link + "\n") == 0);
    CHECK(plan.Skipped.Count() == c.skipped);
    CHECK(std::string(plan.KeptFolders[plan.KeptFolders.Count() - 1].c_str()) == c.kept);
  }
}

TEST_CASE("empty folders go up to the highest one the installation created, and no further") {
  const char* cases[][2] = {{nullptr, "C:\\Apps\\"}, {"", "C:\\Apps\\Demo"}, {"C:\\Apps", "C:\\"},
                            {"C:\\Apps\\Demo", "C:\\Apps\\"}, {"C:\\Apps\\Demo\\Sub", "C:\\Apps\\Demo"}};
  for (auto& c : cases) {
    TMemoryLogStore log;
    if (c[0]) Write(log, "General", "CreatedFolder", c[0]);
    TMachine m;
    TUndoPlan plan;
    ReadUndoPlan(log, m.context, &plan);
    CHECK(std::string(plan.KeptFolders[0].c_str()) == c[1]);
  }
}

TEST_CASE("a key is removed whole only when it holds nothing but what the installation writes") {
  struct { TKeyRole role; std::vector<const char*> content; bool ours; } cases[] = {
      {kKeyAddedVerb, {"command\\", "command|"}, true}, {kKeyAddedVerb, {"command\\", "command|DelegateExecute"}, false},
      {kKeyAddedVerb, {"|", "command\\"}, false}, {kKeyExtension, {"|"}, true},
      {kKeyExtension, {"|", "|Content Type"}, false}, {kKeyExtension, {"|", "ShellNew\\"}, false},
      {kKeyFileType, {"|", "DefaultIcon\\", "DefaultIcon|", "shell\\", "shell\\open\\", "shell\\open\\command\\",
                      "shell\\open\\command|"}, true},
      {kKeyFileType, {"|", "|URL Protocol"}, false}, {kKeyFileType, {"shell\\", "shell\\print\\"}, false},
      {kKeyEmptied, {}, true}, {kKeyEmptied, {"Settings\\"}, false},
  };
  for (auto& c : cases) {
    TStrList content;
    for (const char* e : c.content) content.Add(e);
    CHECK(HoldsOnlyWhatSetupWrites(c.role, content) == c.ours);
  }
}
