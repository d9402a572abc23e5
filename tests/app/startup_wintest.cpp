// Start-up and teardown, run for real: each case builds a package around a
// probe program (the real start-up code plus the setup program's resources),
// starts it with its own temporary folder and reads back what happened.
#include <doctest/doctest.h>

#include <windows.h>

#include "startup_package.h"

namespace {

void SetMachineValue(const char* key, const char* name, const char* value) {
  HKEY k;
  REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0);
  RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)value, DWORD(strlen(value) + 1));
  RegCloseKey(k);
}

bool MachineKeyExists(const char* key) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != 0) return false;
  RegCloseKey(k);
  return true;
}

}  // namespace

TEST_CASE("a package starts: script extracted and read, texts and colours set, workspace removed after") {
  Package p("start");
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start();
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["script_exists"] == "1");
  CHECK(r["library_exists"] == "1");
  CHECK(r["text_Next"] == "&Next >");
  CHECK(r["text_Error"] == "Fehler");
  CHECK(r["text_Reg_NameExists"] == "TAKEN");
  CHECK(r["upper"] == std::to_string(0x02112233));
  CHECK(r["lower"] == std::to_string(0x02000000));  // the default
  CHECK(r["charset"] == "204");
  CHECK(r["nt"] == "1");
  CHECK(r["after_script_exists"] == "0");
  CHECK(r["after_library_exists"] == "0");
  CHECK(r["after_workspace_exists"] == "0");
}

TEST_CASE("the demo package made by kestin-pack starts and leaves no trace") {
  Package p("demo");
  p.exe = p.dir + "demo-setup.exe";
  std::string cmd = "\"" + BinaryPath("kestin-pack.exe") + "\" build \"" + SourcePath("examples\\demo") +
                    "\" -o \"" + p.exe + "\" --stub \"" + BinaryPath("tests\\startup_probe.exe") +
                    "\" --dll \"" + BinaryPath("uncab.dll") + "\"";
  REQUIRE(RunAndWait(cmd, p.dir) == 0);
  Run r = p.Start("text KESTIN\\welcome.txt measure ProgramFiles");
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "&Next >");
  CHECK(r["upper"] == std::to_string(0x02A05A1E));
  CHECK(r["text:KESTIN\\welcome.txt"].find("Kestrel Notes") != std::string::npos);
  CHECK(r["measure:ProgramFiles"] ==
        std::to_string(ReadWholeFile(SourcePath("examples/demo/notes.txt")).size() +
                       ReadWholeFile(SourcePath("examples/demo/readme.txt")).size()));
  CHECK(r["after_workspace_exists"] == "0");
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((p.temp + "*").c_str(), &found);
  int entries = 0;
  if (h != INVALID_HANDLE_VALUE) {
    do entries += std::string(found.cFileName) != "." && std::string(found.cFileName) != "..";
    while (FindNextFileA(h, &found));
    FindClose(h);
  }
  CHECK(entries == 0);  // the temporary folder is as empty as before
}

TEST_CASE("the separate-cabinet layout starts the same way") {
  Package p("separate");
  p.Write(BuildStoredCabinet(DemoFiles()), "product.cab");
  Run r = p.Start("text KESTIN\\welcome.txt");
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text:KESTIN\\welcome.txt"] == "Welcome,\\r\\nfriend.");
}

TEST_CASE("texts come into memory; a missing one is empty and shows nothing") {
  Package p("texts");
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start("text kestin\\WELCOME.TXT text KESTIN\\nothing.txt");
  CHECK(r.messages.empty());
  CHECK(r["text:kestin\\WELCOME.TXT"] == "Welcome,\\r\\nfriend.");
  CHECK(r["text:KESTIN\\nothing.txt"] == "");
}

TEST_CASE("extracting to a folder: content, folders, time stamp and only real attributes") {
  Package p("extract");
  p.Write(BuildStoredCabinet(DemoFiles()));
  std::string target = NewScratchFolder("extract-target");
  Run r = p.Start("extract docs\\guide.txt \"" + target + "\"");
  CHECK(r.messages.empty());
  CHECK(r["extract"] == "ok");
  std::string file = target + "docs\\guide.txt";
  CHECK(ReadWholeFile(file).size() == 40000);
  DWORD attributes = GetFileAttributesA(file.c_str());
  CHECK((attributes & FILE_ATTRIBUTE_READONLY) != 0);
  CHECK((attributes & 0x40) == 0);  // the stored flag bit is no attribute
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(h != INVALID_HANDLE_VALUE);
  FILETIME written, local;
  GetFileTime(h, nullptr, nullptr, &written);
  CloseHandle(h);
  FileTimeToLocalFileTime(&written, &local);
  WORD date = 0, time = 0;
  FileTimeToDosDateTime(&local, &date, &time);
  CHECK(date == DemoFiles()[3].date);
  CHECK(time == DemoFiles()[3].time);
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("measuring a section adds the sizes of the files it finds") {
  Package p("measure");
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start("measure Files measure Nothing");
  CHECK(r["measure:Files"] == std::to_string(1234 + 40000));
  CHECK(r["measure:Nothing"] == "0");
}

TEST_CASE("a package without a cabinet stops with No CAB files.") {
  Package p("nocab");
  p.Write(BuildStoredCabinet(DemoFiles()), "self", false);
  Run r = p.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0] == "Error|No CAB files.");

  Package q("nocabfile");
  q.Write(BuildStoredCabinet(DemoFiles()), "missing.cab");
  DeleteFileA((q.dir + "missing.cab").c_str());
  r = q.Start();
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0] == "Error|No CAB files.");
}

TEST_CASE("a corrupted cabinet shows the cabinet error and leaves nothing in the workspace") {
  Package p("corrupt");
  std::vector<uint8_t> cab = BuildStoredCabinet(DemoFiles());
  // A byte of the setup script's own data: its block's checksum no longer fits.
  std::string text(cab.begin(), cab.end());
  size_t at = text.find("[General]");
  REQUIRE(at != std::string::npos);
  cab[at + 3] ^= 0x20;
  p.Write(cab);
  Run r = p.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].rfind("Error|Cabinet error : ", 0) == 0);
  CHECK_FALSE(p.TempHas("KESTIN\\kestin.ini"));
  CHECK_FALSE(p.TempHas("uncab.dll"));
  CHECK_FALSE(p.TempHas("kestin"));

  Package t("truncated");
  cab = BuildStoredCabinet(DemoFiles());
  cab.resize(cab.size() / 2);
  t.Write(cab);
  r = t.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].rfind("Error|Cabinet error : ", 0) == 0);
  CHECK_FALSE(t.TempHas("KESTIN\\kestin.ini"));
}

TEST_CASE("a cabinet without a setup script reads as an empty script, without a message") {
  Package p("noscript");
  std::vector<TCabEntry> files = DemoFiles();
  files.erase(files.begin());
  p.Write(BuildStoredCabinet(files));
  Run r = p.Start("text KESTIN\\welcome.txt");
  CHECK(r.messages.empty());
  CHECK(r["startup"] == "ok");
  CHECK(r["text_Next"] == "");
  CHECK(r["upper"] == std::to_string(0x02999900));
  CHECK(r["lower"] == std::to_string(0x02000000));
  CHECK(r["text:KESTIN\\welcome.txt"] == "Welcome,\\r\\nfriend.");
  CHECK(FolderEntries(p.temp).empty());
}

TEST_CASE("foreign files in an existing workspace survive the teardown") {
  Package p("foreign");
  p.Write(BuildStoredCabinet(DemoFiles()));
  CreateDirectoryA((p.temp + "kestin").c_str(), nullptr);
  REQUIRE(WriteTextFile(p.temp + "kestin\\mine.txt", "keep me"));
  Run r = p.Start();
  CHECK(r["startup"] == "ok");
  CHECK(r["after_script_exists"] == "0");
  CHECK(r["after_library_exists"] == "0");
  CHECK(p.TempHas("kestin\\mine.txt"));
}

TEST_CASE("a temporary folder that cannot be used stops setup with a message") {
  Package p("notemp");
  p.Write(BuildStoredCabinet(DemoFiles()));
  p.temp += "missing\\";
  Run r = p.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].find("temporary folder") != std::string::npos);
}

TEST_CASE("a helper library that will not load stops setup with a message, not an empty wizard") {
  Package p("badlibrary");
  p.library.assign(30720, 0x90);
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start();
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].find("decompression library") != std::string::npos);
  CHECK_FALSE(p.TempHas("uncab.dll"));
  CHECK_FALSE(p.TempHas("kestin"));
}

TEST_CASE("a second setup running at the same time is refused") {
  Package p("concurrent");
  p.Write(BuildStoredCabinet(DemoFiles()));
  HANDLE held = CreateMutexA(nullptr, TRUE, "KestinSetupWorkspace");
  REQUIRE(held);
  Run r = p.Start();
  ReleaseMutex(held);
  CloseHandle(held);
  CHECK(r["startup"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].find("Another setup is already running") != std::string::npos);
  CHECK_FALSE(p.TempHas("kestin"));
}

TEST_CASE("a stored name that would leave the target folder is refused") {
  Package p("unsafe");
  std::vector<TCabEntry> files = DemoFiles();
  TCabEntry evil;
  evil.name = "..\\evil.txt";
  evil.data = Bytes("gotcha");
  files.push_back(evil);
  p.Write(BuildStoredCabinet(files));
  std::string target = NewScratchFolder("unsafe-target") + "inner\\";
  CreateDirectoryA(target.c_str(), nullptr);
  Run r = p.Start("extract-all \"" + target + "\"");
  CHECK(r["extract"] == "failed");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].find("..\\evil.txt") != std::string::npos);
  CHECK(GetFileAttributesA((target + "..\\evil.txt").c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("a cabinet set that leads back to itself is stopped with a cabinet error") {
  Package p("cycle");
  std::vector<TCabEntry> files = DemoFiles();
  TCabOptions options;
  options.nextCabinet = "product.cab";
  p.Write(BuildStoredCabinet(files, options), "product.cab");
  Run r = p.Start("text KESTIN\\absent.txt");
  CHECK(r["text:KESTIN\\absent.txt"] == "");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0].find("leads back") != std::string::npos);
}

TEST_CASE("owner and organisation come from the registry the system keeps") {
  SetMachineValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner", "Ada Lovelace");
  SetMachineValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization", "Analytical Ltd");
  Package p("owner");
  p.Write(BuildStoredCabinet(DemoFiles()));
  Run r = p.Start("owner");
  CHECK(r["owner"] == "Ada Lovelace");
  CHECK(r["organization"] == "Analytical Ltd");
}

namespace {
Run DestinationWith(const std::string& pathSection) {
  std::string script = std::string("[General]\r\nError=Fehler\r\n[Path]\r\n") + pathSection;
  Package p("dest");
  p.Write(BuildStoredCabinet(DemoFiles(script)));
  return p.Start("dest");
}
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
}  // namespace

TEST_CASE("destination: an earlier installation's folder, or DefaultPath over it") {
  SetMachineValue((std::string(kUninstallKey) + "KestinEarlier").c_str(), "UninstallString",
                  "C:\\WINDOWS\\Uninst.kvl /U \"C:\\Apps\\Demo\\Uninst.log\"");
  CHECK(DestinationWith("FindPath=KestinEarlier\r\n")["dest"] == "C:\\Apps\\Demo");
  CHECK(DestinationWith("FindPath=KestinEarlier\r\nDefaultPath=D:\\Other\r\n")["dest"] == "D:\\Other");
  SetMachineValue((std::string(kUninstallKey) + "KestinRoot").c_str(), "UninstallString",
                  "C:\\WINDOWS\\Uninst.kvl /U \"C:\\Uninst.log\"");
  CHECK(DestinationWith("FindPath=KestinRoot\r\n")["dest"] == "C:\\");
}

TEST_CASE("destination: a missing earlier installation with a message stops setup") {
  Run r = DestinationWith("FindPath=KestinNoSuchProduct\r\nNotFoundPathMsg=Install the base product first.\r\n");
  CHECK(r["dest"] == "");
  CHECK(r["cancel"] == "1");
  REQUIRE(r.messages.size() == 1);
  CHECK(r.messages[0] == "Fehler|Install the base product first.");
  // A lookup only reads: it leaves no empty key behind.
  CHECK_FALSE(MachineKeyExists((std::string(kUninstallKey) + "KestinNoSuchProduct").c_str()));
}

TEST_CASE("destination: without a message the lookup goes on quietly") {
  Run r = DestinationWith("FindPath=KestinNoSuchProduct\r\n");
  CHECK(r["dest"] == "");
  CHECK(r["cancel"] == "0");
  CHECK(r.messages.empty());
}

TEST_CASE("destination: a relative DefaultPath goes below the program files folder") {
  SetMachineValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files");
  CHECK(DestinationWith("DefaultPath=Demo\r\n")["dest"] == "C:\\Program Files\\Demo");
  CHECK(DestinationWith("DefaultPath=\\Demo\r\n")["dest"] == "C:\\Program Files\\\\Demo");
  CHECK(DestinationWith("")["dest"] == "");
}
