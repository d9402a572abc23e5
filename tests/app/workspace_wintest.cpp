// The temporary folder is shared with every program the user runs. Each case
// plays another program there: one that left files under the names setup
// uses, one that swaps its own file in as soon as setup's is closed, one
// that points those names elsewhere with links. None of them may get its
// file used, or lose a file to setup.
#include <doctest/doctest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "startup_package.h"

namespace {

const char kForeignScript[] = "[General]\r\nNext=FOREIGN\r\nUpperColor=$02010203\r\n";

// Keeps renaming a file of its own over the target (`target()` names it, or
// gives "" while there is none) whenever that exists, as soon as setup has
// written it, and tries to rename setup's file away, until stopped; counts
// the times it got through.
struct Swapper {
  std::string own;
  std::function<std::string()> target;
  std::vector<uint8_t> content;
  std::atomic<bool> stop{false};
  std::atomic<int> swaps{0};
  HANDLE thread = nullptr;
  Swapper(std::string ownPath, std::function<std::string()> targetPath, std::vector<uint8_t> bytes)
      : own(ownPath), target(targetPath), content(bytes) {
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  Swapper(std::string ownPath, std::string targetPath, std::vector<uint8_t> bytes)
      : Swapper(ownPath, [targetPath] { return targetPath; }, bytes) {}
  ~Swapper() {
    stop = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  static DWORD WINAPI Run(void* self) {
    Swapper* s = (Swapper*)self;
    WriteWholeFile(s->own, s->content);
    while (!s->stop) {
      std::string target = s->target();
      if (target.empty() || GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      if (MoveFileExA(target.c_str(), (target + ".away").c_str(), MOVEFILE_REPLACE_EXISTING)) s->swaps++;
      if (MoveFileExA(s->own.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        s->swaps++;
        WriteWholeFile(s->own, s->content);
      }
    }
    return 0;
  }
};

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

}  // namespace

TEST_CASE("a script left in the workspace by another program is never read, nor touched") {
  Package p("stale");
  std::vector<TCabEntry> files = DemoFiles();
  files.erase(files.begin());  // this package has no script of its own
  p.Write(BuildStoredCabinet(files));
  CreateDirectoryA((p.temp + "kestin").c_str(), nullptr);
  REQUIRE(WriteTextFile(p.temp + "kestin\\kestin.ini", kForeignScript));
  Run r = p.Start();
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "");
  CHECK(r["upper"] == std::to_string(0x02999900));
  CHECK(FileText(p.temp + "kestin\\kestin.ini") == kForeignScript);
}

TEST_CASE("fixed names taken by foreign files: setup works in a folder of its own and removes only that") {
  Package p("taken");
  p.Write(BuildStoredCabinet(DemoFiles()));
  CreateDirectoryA((p.temp + "kestin").c_str(), nullptr);
  REQUIRE(WriteTextFile(p.temp + "kestin\\kestin.ini", kForeignScript));
  REQUIRE(WriteTextFile(p.temp + "uncab.dll", "not ours"));
  Run r = p.Start("text KESTIN\\welcome.txt");
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "&Next >");
  CHECK(r["text:KESTIN\\welcome.txt"] == "Welcome,\\r\\nfriend.");
  CHECK(Upper(r["script_path"]).find(Upper(p.temp + "kestin-")) == 0);
  CHECK(Upper(r["library_path"]).find(Upper(p.temp + "kestin-")) == 0);
  CHECK(r["after_own_script_exists"] == "0");
  CHECK(r["after_own_library_exists"] == "0");
  CHECK(FileText(p.temp + "kestin\\kestin.ini") == kForeignScript);
  CHECK(FileText(p.temp + "uncab.dll") == "not ours");
  // Nothing of the run is left: only what was there before.
  std::vector<std::string> left = FolderEntries(p.temp);
  CHECK(left.size() == 2);
  CHECK(FolderEntries(p.temp + "kestin\\").size() == 1);
}

TEST_CASE("a file named like the workspace folder is left alone") {
  Package p("kestinfile");
  p.Write(BuildStoredCabinet(DemoFiles()));
  REQUIRE(WriteTextFile(p.temp + "kestin", "a file where the folder would go"));
  Run r = p.Start();
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "&Next >");
  CHECK(FileText(p.temp + "kestin") == "a file where the folder would go");
  CHECK(FolderEntries(p.temp).size() == 1);
}

TEST_CASE("the extracted script is held: no other program can write, rename or delete it") {
  Package p("held");
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start("tamper");
  CHECK(r["startup"] == "ok");
  CHECK(r["script_writable"] == "0");
  CHECK(r["script_renamable"] == "0");
  CHECK(r["script_deletable"] == "0");
  CHECK(r["text_Next"] == "&Next >");
  CHECK(r["after_script_exists"] == "0");
}

TEST_CASE("a program that swaps its own library in never gets it loaded") {
  std::vector<uint8_t> planted = ReadWholeFile(BinaryPath("tests/planted_lib.dll"));
  REQUIRE(!planted.empty());
  int started = 0, swaps = 0;
  for (int run = 0; run < 4; run++) {
    Package p("swaplib");
    p.Write(BuildStoredCabinet(DemoFiles()));
    std::string marker = p.dir + "planted-was-loaded";
    p.env.push_back("KESTIN_PLANTED_MARKER=" + marker);
    Run r;
    {
      Swapper s(p.temp + "mine.dll", p.temp + "uncab.dll", planted);
      r = p.Start();
      swaps += s.swaps;
    }
    CAPTURE(run);
    CHECK(GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES);
    if (r["startup"] == "ok") {
      started++;
      CHECK(r["text_Next"] == "&Next >");
      CHECK(r.messages.empty());
    } else {
      REQUIRE(r.messages.size() == 1);
      CHECK(r.messages[0].find("Another program replaced or changed") != std::string::npos);
    }
  }
  MESSAGE("runs started: " << started << " of 4; swaps that got through: " << swaps);
}

TEST_CASE("a program that swaps its own library in for the setup program never gets it loaded") {
  // The release's setup.exe writes its program into a folder of its own
  // ("kestin-" and a number); the watcher looks for it, as a real one would.
  std::vector<uint8_t> planted = ReadWholeFile(BinaryPath("tests/planted_lib.dll"));
  REQUIRE(!planted.empty());
  int started = 0, swaps = 0;
  for (int run = 0; run < 4; run++) {
    Package p("swapprogram");
    std::string marker = p.dir + "planted-was-loaded", log = p.dir + "run.log";
    auto programFile = [&p]() -> std::string {
      WIN32_FIND_DATAA found;
      HANDLE h = FindFirstFileA((p.temp + "kestin-*").c_str(), &found);
      if (h == INVALID_HANDLE_VALUE) return "";
      FindClose(h);
      return p.temp + found.cFileName + "\\setup-program.dll";
    };
    int code;
    {
      Swapper s(p.temp + "mine.dll", programFile, planted);
      // An uninstall from a log that does not exist: the program runs,
      // refuses, and changes nothing.
      code = RunAndWaitWithEnv("\"" + BinaryPath("setup.exe") + "\" /U C:\\nowhere\\Uninst.log /S LOG=" + log, p.dir,
                               {"TMP=" + p.temp, "TEMP=" + p.temp, "KESTIN_PLANTED_MARKER=" + marker});
      swaps += s.swaps;
    }
    CAPTURE(run);
    CHECK(code == 1);
    CHECK(GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES);
    std::string said = FileText(log);
    if (said.find("no uninstall log") != std::string::npos) started++;
    else CHECK(said.find("Another program replaced or changed") != std::string::npos);
  }
  MESSAGE("runs started: " << started << " of 4; swaps that got through: " << swaps);
}

TEST_CASE("a program that swaps its own script in never gets it read") {
  std::vector<uint8_t> foreign = Bytes(kForeignScript);
  int started = 0, swaps = 0;
  for (int run = 0; run < 4; run++) {
    Package p("swapscript");
    p.Write(BuildStoredCabinet(DemoFiles()));
    CreateDirectoryA((p.temp + "kestin").c_str(), nullptr);
    Run r;
    {
      Swapper s(p.temp + "kestin\\mine.ini", p.temp + "kestin\\kestin.ini", foreign);
      r = p.Start();
      swaps += s.swaps;
    }
    CAPTURE(run);
    CHECK(r["text_Next"] != "FOREIGN");
    if (r["startup"] == "ok") {
      started++;
      CHECK(r["text_Next"] == "&Next >");
    } else {
      REQUIRE(r.messages.size() == 1);
      CHECK(r.messages[0].find("Another program replaced or changed") != std::string::npos);
    }
  }
  MESSAGE("runs started: " << started << " of 4; swaps that got through: " << swaps);
}

// Links can only be made from the Linux side under Wine: links_wintest.sh
// lays them out under KESTIN_LINKS and runs this case; in a plain run it is
// skipped. Layout: victim\lib.dll, victim\dir\kestin.ini, victim\script.ini;
// temp-lib\uncab.dll -> victim\lib.dll; temp-dir\kestin -> victim\dir;
// temp-script\kestin\kestin.ini -> victim\script.ini.
TEST_CASE("links with the fixed names are neither written through nor deleted through") {
  const char* root = getenv("KESTIN_LINKS");
  if (!root) {
    MESSAGE("skipped: run through links_wintest.sh, which makes the links");
    return;
  }
  std::string base = std::string(root) + "\\";
  const std::string victimLib = FileText(base + "victim\\lib.dll");
  const std::string victimDirScript = FileText(base + "victim\\dir\\kestin.ini");
  const std::string victimScript = FileText(base + "victim\\script.ini");
  REQUIRE(!victimLib.empty());
  for (const char* layout : {"temp-lib", "temp-dir", "temp-script"}) {
    CAPTURE(layout);
    Package p(std::string("links-") + layout);
    p.temp = base + layout + "\\";
    p.Write(BuildStoredCabinet(DemoFiles()));
    Run r = p.Start();
    CHECK(r["startup"] == "ok");
    CHECK(r["text_Next"] == "&Next >");
    CHECK(r.messages.empty());
    CHECK(FileText(base + "victim\\lib.dll") == victimLib);
    CHECK(FileText(base + "victim\\dir\\kestin.ini") == victimDirScript);
    CHECK(FileText(base + "victim\\script.ini") == victimScript);
    CHECK(FolderEntries(base + "victim\\dir\\").size() == 1);
  }
}
