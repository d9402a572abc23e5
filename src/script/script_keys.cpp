#include "script/script_keys.h"

#include "base/str.h"

namespace {

#define KEYS(name) name, int(sizeof(name) / sizeof(name[0]))

const TScriptKey kGeneral[] = {
    {"Back", kValueText, 0}, {"Next", kValueText, 0}, {"Cancel", kValueText, 0},
    {"Yes", kValueText, 0}, {"No", kValueText, 0}, {"Install", kValueText, 0},
    {"Finish", kValueText, 0}, {"Error", kValueText, 0}, {"Question", kValueText, 0},
    {"Warning", kValueText, 0}, {"Information", kValueText, 0}, {"Register", kValueText, 0},
    {"Browse", kValueText, 0}, {"SpaceReq", kValueText, 0}, {"SpaceAvail", kValueText, 0},
    {"Description", kValueText, 0}, {"DestFolder", kValueText, 0}, {"SetupPrg", kValueText, 0},
    {"Setup_Completed", kValueText, 0}, {"Setup_Aborted", kValueText, 0},
    {"Exit_Setup_Question", kValueText, 0}, {"Exit_Setup_Caption", kValueText, 0},
    {"Choose_Folder", kValueText, 0}, {"Do_You_Want_To_Install", kValueText, 0},
    {"To", kValueText, 0}, {"Next_Components", kValueText, 0}, {"Reg_Error_Msg", kValueText, 0},
    {"Reg_NameExists", kValueText, 0}, {"CharSet", kValueCharSet, 0},
    {"UpperColor", kValueColour, 0}, {"LowerColor", kValueColour, 0}, {"Caption", kValueText, 0},
    {"ProgramName", kValueText, 0}, {"ProgramFile", kValueText, 0},
};
const TScriptKey kCaptionOnly[] = {{"Caption", kValueText, 0}};
const TScriptKey kLicense[] = {{"Caption", kValueText, 0}, {"LicenseBottom", kValueText, 0}};
const TScriptKey kUser[] = {{"Caption", kValueText, 0}, {"UserCaption", kValueText, 0},
                            {"CompanyCaption", kValueText, 0}, {"EmailCaption", kValueText, 0}};
// The setup program offers at most five options.
const TScriptKey kOptions[] = {
    {"Caption", kValueText, 0},          {"Option#_Text", kValueText, 5},
    {"Option#_Desc", kValueText, 5},     {"Option#_Enabled", kValueInteger, 5},
    {"Option#_List", kValueFileList, 5}, {"Option#_Sys", kValueFileList, 5},
    {"Option#_Reg", kValueFileList, 5},  {"Option#_Dsk", kValueShortcuts, 5},
    {"Option#_Prg", kValueShortcuts, 5},
};
const TScriptKey kPath[] = {{"Caption", kValueText, 0}, {"FindPath", kValueText, 0},
                            {"DefaultPath", kValueText, 0}, {"NotFoundPathMsg", kValueText, 0}};
const TScriptKey kShortcuts[] = {{"ChooseGroup", kValueText, 0}, {"LabelEdit", kValueText, 0},
                                 {"LabelList", kValueText, 0}, {"Group", kValueText, 0}};
const TScriptKey kInstall[] = {{"Caption", kValueText, 0}, {"Complete", kValueText, 0},
                               {"DShortcut", kValueText, 0}, {"PShortcut", kValueText, 0},
                               {"Launch", kValueText, 0}};
const TScriptKey kRegisterExt[] = {
    {"Caption#", kValueText, 0}, {"Enabled#", kValueInteger, 0}, {"Ext#", kValueText, 0},
    {"Type#", kValueText, 0},    {"Desc#", kValueText, 0},       {"FileIcon#", kValueText, 0},
    {"Action#", kValueText, 0},  {"ActionTitle#", kValueText, 0},
};
const TScriptKey kRegistry[] = {{"Root", kValueText, 0}, {"Section", kValueText, 0},
                                {"User", kValueText, 0}, {"Organization", kValueText, 0}};
const TScriptKey kUninstall[] = {{"SectionName", kValueText, 0}, {"UninstallerName", kValueText, 0},
                                 {"LogName", kValueText, 0},     {"MessageString", kValueText, 0},
                                 {"OKString", kValueText, 0},    {"#", kValueText, 0}};
const TScriptKey kOwner[] = {{"URL", kValueText, 0},          {"ActualURL", kValueText, 0},
                             {"AskToRegister", kValueInteger, 0}, {"RegistrationURL", kValueText, 0},
                             {"RegistrationQuery", kValueText, 0}, {"Caption", kValueText, 0}};
const TScriptKey kFileList[] = {{"#", kValueStoredFile, 0}};
const TScriptKey kShortcutList[] = {{"Subgroup", kValueText, 0}, {"Name#", kValueText, 0},
                                    {"File#", kValueText, 0},    {"Desc#", kValueText, 0},
                                    {"Icon#", kValueText, 0},    {"RmDir#", kValueInteger, 0}};

const TScriptSection kSections[] = {
    {"General", kSectionNamed, KEYS(kGeneral)},
    {"Welcome", kSectionNamed, KEYS(kCaptionOnly)},
    {"WhatsNew", kSectionNamed, KEYS(kCaptionOnly)},
    {"License", kSectionNamed, KEYS(kLicense)},
    {"User", kSectionNamed, KEYS(kUser)},
    {"Options", kSectionNamed, KEYS(kOptions)},
    {"Path", kSectionNamed, KEYS(kPath)},
    {"Shortcuts", kSectionNamed, KEYS(kShortcuts)},
    {"Install", kSectionNamed, KEYS(kInstall)},
    {"RegisterExt", kSectionNamed, KEYS(kRegisterExt)},
    {"Registry", kSectionNamed, KEYS(kRegistry)},
    {"Uninstall", kSectionNamed, KEYS(kUninstall)},
    {"Owner", kSectionNamed, KEYS(kOwner)},
    {nullptr, kSectionFileList, KEYS(kFileList)},
    {nullptr, kSectionShortcuts, KEYS(kShortcutList)},
};

const char* const kSupportFiles[] = {
    "KESTIN\\kestin.ini",  "KESTIN\\welcome.txt", "KESTIN\\whatsnew.txt", "KESTIN\\license.txt",
    "KESTIN\\folder.txt",  "KESTIN\\process.txt", "KESTIN\\finish.txt",   "KESTIN\\register.txt",
    "KESTIN\\regans.txt",  "KESTIN\\regerr.txt",
};

// Matches `key` against `pattern`; '#' takes a run of digits.
bool Match(const char* pattern, const char* key, int* number) {
  *number = 0;
  for (; *pattern; pattern++) {
    if (*pattern != '#') {
      if (AsciiUpper(*pattern) != AsciiUpper(*key)) return false;
      key++;
      continue;
    }
    const char* digits = key;
    long long n = 0;
    while (*key >= '0' && *key <= '9') {
      if (n < 1000000) n = n * 10 + (*key - '0');
      key++;
    }
    if (key == digits) return false;
    // "01" or "0" is a name the program never forms.
    *number = (*digits == '0') ? -1 : int(n);
  }
  return *key == 0;
}

}  // namespace

const TScriptSection* ScriptSections(int* count) {
  *count = int(sizeof(kSections) / sizeof(kSections[0]));
  return kSections;
}

const TScriptSection* ScriptSectionOfKind(TScriptSectionKind kind) {
  for (const TScriptSection& s : kSections)
    if (s.Kind == kind) return &s;
  return nullptr;
}

const TScriptKey* ScriptKeyFor(const TScriptSection& section, const char* key, int* number) {
  for (int i = 0; i < section.KeyCount; i++)
    if (Match(section.Keys[i].Pattern, key, number)) return &section.Keys[i];
  *number = 0;
  return nullptr;
}

const char* const* ScriptSupportFiles(int* count) {
  *count = int(sizeof(kSupportFiles) / sizeof(kSupportFiles[0]));
  return kSupportFiles;
}
