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
#include "base/process_state.h"
#include "package/cabinet_reader.h"
#include "script/defaults.h"
#include "script/script_errors.h"
#include "script/setup_script.h"
#include "script/texts.h"

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

static bool Exists(const TStr& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

int main() {
  ProgramArg0 = ProgramArgument(0);
  OwnFileName = FileNamePart(ProgramArg0);
  g_out = fopen(ProgramArgument(1).c_str(), "w");
  if (!g_out) return 1;
  MessageHook = RecordMessage;
  bool ok = SetupStartup();
  Put("startup", ok ? "ok" : "failed");
  if (ok) {
    Put("temp", TempFolder);
    Put("script_exists", Exists(ScriptPath) ? "1" : "0");
    Put("library_exists", Exists(TempFolder + "uncab.dll") ? "1" : "0");
    Put("text_Next", Text(TxtNext));
    Put("text_Error", Text(TxtError));
    Put("text_Reg_NameExists", Text(TxtRegNameExists));
    Put("upper", IntToStr(UpperColour));
    Put("lower", IntToStr(LowerColour));
    Put("charset", IntToStr(ScriptCharSet));
    Put("nt", IntToStr(WindowsNT));
    for (int i = 2;; i += 2) {
      TStr cmd = ProgramArgument(i), arg = ProgramArgument(i + 1);
      if (cmd.empty()) break;
      if (cmd == "text") {
        Put(("text:" + std::string(arg.c_str())).c_str(), ReadPackageText(arg));
      } else if (cmd == "extract") {
        TStr folder = ProgramArgument(i + 2);
        i++;
        Put("extract", ExtractCabinetFile(arg, folder) ? "ok" : "failed");
      } else if (cmd == "extract-all") {
        Put("extract", ExtractCabinetFile("", arg) ? "ok" : "failed");
      } else if (cmd == "measure") {
        Put(("measure:" + std::string(arg.c_str())).c_str(), IntToStr(MeasureSection(arg)));
      } else if (cmd == "owner") {
        Put("owner", GetRegisteredOwner());
        Put("organization", GetRegisteredOrganization());
        i--;
      } else if (cmd == "dest") {
        TError error;
        Put("dest", GetDestinationFolder(&error));
        // The probe is the top of its run: it shows what the lookup returned.
        if (error.Failed()) ShowScriptError(nullptr, error);
        Put("cancel", IntToStr(CancelFlag.IsSet() ? 1 : 0));
        i--;
      }
    }
    TStr temp = TempFolder;
    SetupTeardown();
    Put("after_script_exists", Exists(temp + "KESTIN\\kestin.ini") ? "1" : "0");
    Put("after_library_exists", Exists(temp + "uncab.dll") ? "1" : "0");
    Put("after_workspace_exists", Exists(temp + "kestin") ? "1" : "0");
  }
  fclose(g_out);
  return 0;
}
