// A program with the setup program's resources that runs the real start-up
// on itself, then the commands it is given, then the teardown, and writes what
// happened (including every message that would have been shown) to a file.
//   startup_probe OUTFILE [COMMAND ARG]...
// Commands: text NAME | extract NAME FOLDER | extract-all FOLDER
//           | measure SECTION | owner | dest
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/program_args.h"
#include "app/startup.h"
#include "base/message_box.h"
#include "package/cabinet_reader.h"
#include "package/package_files.h"
#include "package/helper_library.h"
#include "package/package_error.h"
#include "install/script_rules.h"
#include "script/defaults.h"
#include "script/script_errors.h"
#include "script/setup_script.h"
#include "script/reg_ini_file.h"
#include "ui/font.h"

static FILE* g_out;

static std::string Escape(const char* s, size_t n) {
  std::string r;
  for (size_t i = 0; i < n; i++) {
    if (s[i] == '\n') r += "\\n";
    else if (s[i] == '\r') r += "\\r";
    else r += s[i];
  }
  return r;
}
static void Put(const char* key, const TStr& value) {
  fprintf(g_out, "%s=%s\n", key, Escape(value.c_str(), value.size()).c_str());
}

static int RecordMessage(void*, const char* text, const char* caption, unsigned) {
  fprintf(g_out, "message=%s|%s\n", Escape(caption, strlen(caption)).c_str(),
          Escape(text, strlen(text)).c_str());
  return IDOK;
}

// The sizes a section's files take, as the package measures them.
static long long MeasureSection(const TSetupSession& s, const TStr& section, TError* e) {
  TStrList names;
  ReadNumberedList(*s.Script, section, names);
  return MeasureFiles(s.Package, names, e);
}

static bool Exists(const TStr& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What the top of a run would show for a failed cabinet operation.
static void Shown(const TError& e) {
  if (e.Failed()) ShowMessage(nullptr, PackageErrorText(e).c_str(), "Error", 0);
}

static TStr LibraryPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA((HMODULE)HelperLibraryHandle(), path, MAX_PATH);
  return path;
}

// Tries to change the held files the way another program would.
static void TryTampering(const TStr& scriptPath) {
  HANDLE h = CreateFileA(scriptPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  Put("script_writable", h != INVALID_HANDLE_VALUE ? "1" : "0");
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  TStr moved = scriptPath + ".moved";
  BOOL renamed = MoveFileA(scriptPath.c_str(), moved.c_str());
  Put("script_renamable", renamed ? "1" : "0");
  if (renamed) MoveFileA(moved.c_str(), scriptPath.c_str());
  Put("script_deletable", DeleteFileA(scriptPath.c_str()) ? "1" : "0");
}

int main() {
  g_out = fopen(ProgramArgument(1).c_str(), "w");
  if (!g_out) return 1;
  MessageHook = RecordMessage;
  TSetupSession s;
  TError failure = SetupStartup(s);
  if (failure.Failed()) ShowStartupError(failure);
  bool ok = !failure.Failed();
  Put("startup", ok ? "ok" : "failed");
  if (ok) {
    const TScriptTexts& texts = s.Script->Texts;
    Put("temp", s.TempFolder);
    Put("script_path", s.ScriptPath);
    Put("library_path", LibraryPath());
    Put("script_exists", Exists(s.ScriptPath) ? "1" : "0");
    Put("library_exists", Exists(s.TempFolder + "uncab.dll") ? "1" : "0");
    Put("text_Next", texts[TxtNext]);
    Put("text_Error", texts[TxtError]);
    Put("text_Reg_NameExists", texts[TxtRegNameExists]);
    Put("upper", IntToStr(s.UpperColour));
    Put("lower", IntToStr(s.LowerColour));
    Put("charset", IntToStr(DefaultCharset()));
    Put("nt", IntToStr(s.WindowsNT ? 1 : 0));
    for (int i = 2;; i += 2) {
      TStr cmd = ProgramArgument(i), arg = ProgramArgument(i + 1);
      if (cmd.empty()) break;
      TError e;
      if (cmd == "text") {
        Put(("text:" + std::string(arg.c_str())).c_str(), ReadPackageText(s.Package, arg, &e));
      } else if (cmd == "extract") {
        TStr folder = ProgramArgument(i + 2);
        i++;
        Put("extract", ExtractCabinetFile(s.Package, arg, folder, &e) ? "ok" : e.Failed() ? "failed" : "missing");
      } else if (cmd == "extract-all") {
        Put("extract", ExtractCabinetFile(s.Package, "", arg, &e) ? "ok" : "failed");
      } else if (cmd == "measure") {
        Put(("measure:" + std::string(arg.c_str())).c_str(), IntToStr(MeasureSection(s, arg, &e)));
      } else if (cmd == "tamper") {
        TryTampering(s.ScriptPath);
        i--;
      } else if (cmd == "owner") {
        Put("owner", GetRegisteredOwner(*s.MachineRegistry, s.WindowsNT));
        Put("organization", GetRegisteredOrganization(*s.MachineRegistry, s.WindowsNT));
        i--;
      } else if (cmd == "dest") {
        TError error;
        Put("dest", GetDestinationFolder(*s.Script, *s.MachineRegistry, &error));
        // The probe is the top of its run: it shows what the lookup returned.
        if (error.Failed()) ShowScriptError(nullptr, error, texts);
        Put("cancel", IntToStr(error.Failed() ? 1 : 0));
        i--;
      }
      Shown(e);
    }
    TStr temp = s.TempFolder;
    TStr script = s.ScriptPath, library = LibraryPath();
    SetupTeardown(s);
    Put("after_script_exists", Exists(temp + "KESTIN\\kestin.ini") ? "1" : "0");
    Put("after_library_exists", Exists(temp + "uncab.dll") ? "1" : "0");
    Put("after_workspace_exists", Exists(temp + "kestin") ? "1" : "0");
    Put("after_own_script_exists", Exists(script) ? "1" : "0");
    Put("after_own_library_exists", Exists(library) ? "1" : "0");
  }
  fclose(g_out);
  return 0;
}
