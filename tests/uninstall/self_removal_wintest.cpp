// The uninstaller as the uninstall entry starts it: a program file without
// an .exe extension in a "Windows folder", run with /U and the log path
// through CreateProcess, which hands its own file to a /D copy of itself.
// The probe is the real entry with message boxes answered and recorded.
#include <doctest/doctest.h>

#include "process_win.h"
#include "uninstall/removal_helper.h"
#include "uninstall_test_support.h"

using namespace uninstall_test;

namespace {

const char kUninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct TUninstaller {
  std::string tag = std::to_string(GetTickCount()) + std::to_string(rand() % 1000);
  std::string root = NewScratchFolder("selfrm");
  std::string windows = root + "WINDOWS\\";
  std::string temp = root + "TEMP\\";
  std::string dest = root + "Demo\\";
  std::string log = dest + "Uninst.log";
  std::string file = windows + "Uninst.kvl";
  std::string out = root + "boxes.txt";
  std::string entry = "KestinTestSelf" + tag;
  std::vector<std::string> otherEntries;

  TUninstaller() {
    CreateDirectoryA(windows.c_str(), nullptr);
    CreateDirectoryA(temp.c_str(), nullptr);
    REQUIRE(WriteWholeFile(file, ReadWholeFile(BinaryPath("tests/uninstall_probe.exe"))));
    Touch(dest + "demo.exe");
    WritePrivateProfileStringA("General", "MessageString", "Remove Demo?", log.c_str());
    WritePrivateProfileStringA("General", "OKString", "Demo has been removed.", log.c_str());
    WritePrivateProfileStringA("Files", "File1", "demo.exe", log.c_str());
    WritePrivateProfileStringA("Uninstall", "SectionName", entry.c_str(), log.c_str());
    REQUIRE(SealLog(log));
    SetValue(HKEY_LOCAL_MACHINE, kUninstallList + entry, "UninstallString", Command());
  }
  ~TUninstaller() {
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallList + entry);
    for (auto& e : otherEntries) DeleteTree(HKEY_LOCAL_MACHINE, kUninstallList + e);
  }
  std::string Command() const { return file + " /U \"" + log + "\""; }

  int Run(const std::string& commandLine, const char* answer = "Y", unsigned timeoutMs = 60000) {
    return RunAndWaitWithEnv(commandLine, root,
                             {"TEMP=" + temp.substr(0, temp.size() - 1), "TMP=" + temp.substr(0, temp.size() - 1),
                              "KESTIN_PROBE_OUT=" + out, std::string("KESTIN_PROBE_ANSWER=") + answer},
                             timeoutMs);
  }
  std::vector<std::string> Boxes() const {
    std::vector<uint8_t> bytes = ReadWholeFile(out);
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t c : bytes) {
      if (c == '\n') { lines.push_back(line); line.clear(); }
      else line += (char)c;
    }
    return lines;
  }
  std::set<std::string> TempFiles() const {
    std::set<std::string> s;
    ListTree(temp.substr(0, temp.size() - 1), "", s);
    return s;
  }
  // The helper runs on after the uninstaller has ended: wait (bounded) until
  // it has shown its message and its copy is gone.
  bool WaitForHelper() const {
    for (int i = 0; i < 200; i++) {
      std::vector<std::string> b = Boxes();
      if (b.size() >= 2 && TempFiles().empty()) return true;
      Sleep(100);
    }
    return false;
  }
};

}  // namespace

TEST_CASE("/U from the entry's command line removes the product, then /D its file; no copy or marker stays") {
  TUninstaller u;
  REQUIRE(u.Run(u.Command()) == 0);
  CHECK(u.WaitForHelper());
  std::vector<std::string> boxes = u.Boxes();
  REQUIRE(boxes.size() == 2);
  CHECK(boxes[0] == "Warning|Remove Demo?");
  CHECK(boxes[1] == "Information|Demo has been removed.");
  CHECK_FALSE(Exists(u.file));
  CHECK_FALSE(Exists(u.dest));
  CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallList + u.entry));
  CHECK(u.TempFiles().empty());
}

TEST_CASE("an uninstaller file another product's entry still starts stays; the uninstaller shows the message") {
  TUninstaller u;
  std::string other = "KestinTestOther" + u.tag;
  u.otherEntries.push_back(other);
  SetValue(HKEY_LOCAL_MACHINE, kUninstallList + other, "UninstallString", u.file + " /U \"C:\\Other\\Uninst.log\"");
  REQUIRE(u.Run(u.Command()) == 0);
  std::vector<std::string> boxes = u.Boxes();
  REQUIRE(boxes.size() == 2);
  CHECK(boxes[1] == "Information|Demo has been removed.");
  CHECK(Exists(u.file));
  CHECK_FALSE(Exists(u.dest));
  CHECK(u.TempFiles().empty());
}

TEST_CASE("No at the question removes nothing and starts no helper") {
  TUninstaller u;
  REQUIRE(u.Run(u.Command(), "N") == 0);
  CHECK(u.Boxes() == std::vector<std::string>{"Warning|Remove Demo?"});
  CHECK(Exists(u.file));
  CHECK(Exists(u.log));
  CHECK(KeyExists(HKEY_LOCAL_MACHINE, kUninstallList + u.entry));
}

TEST_CASE("/D deletes only a copy of its own program, and leaves its marker and no one else's behind") {
  TUninstaller u;
  std::string victim = u.root + "thesis.doc";
  Touch(victim, "months of work");
  // A file of the marker's name that was there first is not the helper's.
  std::string helper = u.temp + "KVLhelper.tmp";
  REQUIRE(CopyFileA(u.file.c_str(), helper.c_str(), FALSE));
  Touch(u.temp + "KVLhelper.$$$", "someone else's");
  REQUIRE(u.Run("\"" + helper + "\" /D \"" + victim + "\" \"Done.\"") == 0);
  CHECK(Exists(victim));
  CHECK(ReadWholeFile(u.temp + "KVLhelper.$$$").size() == strlen("someone else's"));
  std::vector<std::string> boxes = u.Boxes();
  REQUIRE(boxes.size() == 1);
  CHECK(boxes[0] == "Information|Done.~~~~The uninstaller file could not be removed:~~" + victim);

  // Told to delete a copy of itself, it does, and its own marker goes too.
  DeleteFileA((u.temp + "KVLhelper.$$$").c_str());
  REQUIRE(u.Run("\"" + helper + "\" /D \"" + u.file + "\" \"Done.\"") == 0);
  CHECK_FALSE(Exists(u.file));
  CHECK_FALSE(Exists(u.temp + "KVLhelper.$$$"));
  DeleteFileA(helper.c_str());
}

TEST_CASE("/D hands a file that stays in use for a minute to the system for deletion at restart, and ends") {
  TUninstaller u;
  std::string helper = u.temp + "KVLbusy.tmp";
  REQUIRE(CopyFileA(u.file.c_str(), helper.c_str(), FALSE));
  // Held open without delete sharing for longer than the helper waits.
  HANDLE busy = CreateFileA(u.file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(busy != INVALID_HANDLE_VALUE);
  int rc = u.Run("\"" + helper + "\" /D \"" + u.file + "\" \"Done.\"", "Y", 150000);
  CloseHandle(busy);
  CHECK(rc == 0);  // it ended by itself, within the run's time limit
  std::vector<std::string> boxes = u.Boxes();
  REQUIRE(boxes.size() == 1);
  CHECK(boxes[0] == "Information|Done.~~~~The uninstaller file will be removed when Windows restarts:~~" + u.file);
  CHECK_FALSE(Exists(u.temp + "KVLbusy.$$$"));
  DeleteFileA(helper.c_str());
}

// The helper's check and deletion, run here with a copy of this program for
// the uninstaller file; a thread swaps the given name with a document.
struct TNameSwap { std::string given, document, aside; volatile LONG stop = 0; };
DWORD WINAPI SwapNames(void* swap) {
  for (auto* s = (TNameSwap*)swap; !InterlockedCompareExchange(&s->stop, 0, 0);) {
    MoveFileExA(s->given.c_str(), s->aside.c_str(), 0);
    MoveFileExA(s->document.c_str(), s->given.c_str(), 0);
    MoveFileExA(s->aside.c_str(), s->document.c_str(), 0);
  }
  return 0;
}

TEST_CASE("/D never deletes another file: not through a link, not when the name is swapped while it works") {
  char self[MAX_PATH];
  REQUIRE(GetModuleFileNameA(nullptr, self, MAX_PATH));
  for (std::string how : {"link", "swapped"}) {
    CAPTURE(how);
    TUninstaller u;
    TNameSwap swap{u.windows + "Other.kvl", u.root + "thesis.doc", u.root + "aside"};
    std::string copy = u.root + "copy.kvl";
    REQUIRE(CopyFileA(self, copy.c_str(), FALSE));
    Touch(swap.document, "months of work");
    if (how == "link") {
      if (!MakeSymbolicLink(copy, swap.given)) FAIL("no link made");
      CHECK(strstr(RemovalHelperRun(swap.given.c_str(), "Done.").c_str(), "could not be removed"));
      CHECK(Exists(copy));
    } else {
      REQUIRE(MoveFileA(copy.c_str(), swap.given.c_str()));
      HANDLE swapper = CreateThread(nullptr, 0, SwapNames, &swap, 0, nullptr);
      for (int i = 0; i < 20; i++) RemovalHelperRun(swap.given.c_str(), "Done.");
      InterlockedExchange(&swap.stop, 1);
      WaitForSingleObject(swapper, INFINITE);
    }
    int documents = 0;
    for (auto* name : {&swap.given, &swap.document, &swap.aside}) documents += Text(*name) == "months of work";
    CHECK(documents == 1);
  }
}
