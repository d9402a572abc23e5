// The uninstall log: the one record of what an installation did. The install
// run writes it key by key as it goes; the uninstall run (and the rollback of
// a cancelled installation) reads it back. This header is the format both
// sides share: section and key names, numbered lists, and the rules for
// values. It knows no file system: everything goes through a TLogStore, which
// the Windows side backs with the profile functions on the log file and the
// native tests back with memory.
//
// After the run and at Finish (the product key, the associations, the
// shortcuts) an entry is written before what it records is made, so a crash
// in between leaves an entry for something absent (which the uninstall
// passes over), never something the log does not name; what cannot be
// recorded is not made. Only a key known to be new once it is made is
// recorded after, and removed again when its entry cannot be written.
//
// Layout, in the order a complete installation first writes it:
//   [General]    MessageString, OKString (always both, empty when unset),
//                CodePage (the code page every value is written in),
//                CreatedFolder (see below)
//   [Files]      File1..   names relative to the log's own folder
//   [Replaced]   Aside1.., File1..  a file of [Files] that was there before
//                the installation wrote it: the name it is kept under
//                meanwhile (relative to the log's folder: the file's own
//                name + ".<8 hex digits>" + kAsideEnding), and the file. Each
//                run numbers its own from 1 and writes them before the file
//                is moved (a FileN that holds the name already is not
//                written again). The rollback deletes what stands at the
//                file's name and gives the aside that name back; the
//                uninstall deletes an aside still there; a run that succeeds
//                deletes its own.
//   [SysFiles]   File1..   names relative to the system folder
//   [Register]   File1..   system files registered successfully
//   [Uninstall]  SectionName  the uninstall entry's key name; Entry1.. the
//                entries of add-ons installed into the same folder and log
//   [Registry]   Root, Section  the product key, only when the installation
//                created it; Value1.., DefaultValue  the values it wrote there;
//                Key1.. (CU or LM, a backslash, the path) the keys of add-ons sharing the log
//   [Shortcuts]  Group, Link1.., RmDir1.., Folder1.. (the folders the
//                installation created for them, full paths)
//   [Extensions] PATH_1..  verb keys below HKEY_CLASSES_ROOT;
//                Default1.., DefaultType1..  extension keys whose default
//                value the installation set, and the type it set there
//   [Created]    Key1..    keys below HKEY_CLASSES_ROOT the installation
//                          created whole (a new extension's key and its new
//                          file type); see below
#pragma once
#include "base/str.h"
#include "base/str_list.h"

// Sections.
inline constexpr char kLogGeneral[] = "General";
inline constexpr char kLogFiles[] = "Files";
inline constexpr char kLogReplaced[] = "Replaced";
inline constexpr char kLogSysFiles[] = "SysFiles";
inline constexpr char kLogRegister[] = "Register";
inline constexpr char kLogUninstall[] = "Uninstall";
inline constexpr char kLogRegistry[] = "Registry";
inline constexpr char kLogShortcuts[] = "Shortcuts";
inline constexpr char kLogExtensions[] = "Extensions";
inline constexpr char kLogCreated[] = "Created";

// Single keys.
inline constexpr char kLogMessageString[] = "MessageString";  // [General]
inline constexpr char kLogOKString[] = "OKString";            // [General]
inline constexpr char kLogCodePage[] = "CodePage";            // [General]
inline constexpr char kLogSectionName[] = "SectionName";      // [Uninstall]
inline constexpr char kLogRoot[] = "Root";                    // [Registry]
inline constexpr char kLogSection[] = "Section";              // [Registry]
inline constexpr char kLogGroup[] = "Group";                  // [Shortcuts]
// [General] CreatedFolder: the highest folder the installation created on its
// way to the destination (the destination itself, or one of its parents);
// empty when the destination was there before. The uninstall removes no
// folder above it. A log without the key is of an earlier version.
inline constexpr char kLogCreatedFolder[] = "CreatedFolder";
// [Registry] DefaultValue: 1 when the installation wrote the product key's
// default value (a value without a name, which a list entry cannot hold).
inline constexpr char kLogDefaultValue[] = "DefaultValue";

// Key words of the numbered lists.
inline constexpr char kLogFileWord[] = "File";    // [Files], [Replaced], [SysFiles], [Register]
inline constexpr char kLogAsideWord[] = "Aside";  // [Replaced], beside FileN
// How every name an earlier file is kept under ends: "<name>.<8 hex digits>"
// before it.
inline constexpr char kAsideEnding[] = ".kestin-old";
inline constexpr char kLogLinkWord[] = "Link";    // [Shortcuts]
inline constexpr char kLogRmDirWord[] = "RmDir";  // [Shortcuts], beside LinkN
inline constexpr char kLogFolderWord[] = "Folder";  // [Shortcuts], a folder created for shortcuts
inline constexpr char kLogPathWord[] = "PATH_";   // [Extensions]
inline constexpr char kLogEntryWord[] = "Entry";  // [Uninstall], beside SectionName
// [Extensions] DefaultN: an extension key below HKEY_CLASSES_ROOT whose
// default value the installation set, one that was there without a file
// type or one it created ([Created]); DefaultTypeN beside it is the type it
// set. The uninstall clears the value only while it still names that type,
// so a key another program has taken over since is never removed. Both are
// written before the value is.
inline constexpr char kLogDefaultWord[] = "Default";
inline constexpr char kLogDefaultTypeWord[] = "DefaultType";
// [Registry] ValueN: the name of a value the installation wrote into the
// product key it created. Without this list the uninstall does not know
// what in the key is the product's, and leaves the key alone.
inline constexpr char kLogValueWord[] = "Value";
// [Created] KeyN: a key path below HKEY_CLASSES_ROOT that did not exist before
// this installation and may be deleted whole on uninstall (a new extension
// key, a new file type). Verbs added to an existing type are only in
// [Extensions].
inline constexpr char kLogKeyWord[] = "Key";

inline constexpr char kLogDefaultName[] = "Uninst.log";
// A value longer than this cannot be read back whole by the profile
// functions; a cut path can name a different file, so such a value is never
// written.
const int kLogValueMax = 2047;

// Where the log's keys are kept. Sections and keys compare without regard to
// ASCII letter case, as the profile functions compare them.
class TLogStore {
public:
  virtual ~TLogStore() {}
  // The value, or `fallback` when the key (or its section) is absent.
  virtual TStr Read(const char* section, const char* key, const char* fallback) const = 0;
  // Writes one key straight through to where it is kept. False when the
  // store refused (disk full, access denied); the caller decides what a lost
  // key means.
  virtual bool Write(const char* section, const char* key, const TStr& value) = 0;
};

// The key of entry `number` of a numbered list: word + number in decimal
// without leading zeros ("File" and 3 give "File3").
TStr LogListKey(const char* word, int number);

// Path of the log: folder, a backslash unless the folder ends in one, name.
TStr LogPath(const TStr& folder, const TStr& logName);

// True when `value` can be stored and read back unchanged: one line, at most
// kLogValueMax characters. A line break would plant a key of its own.
bool LogValueStorable(const TStr& value);

// Writes one value after checking LogValueStorable; false when refused or the
// store failed.
bool WriteLogValue(TLogStore& store, const char* section, const char* key, const TStr& value);

// [General] MessageString and OKString: both keys always, empty when the setup
// script has none, so the uninstaller can tell "no text" from "no key"; then
// CodePage, the code page the writing program runs under (UTF-8 where the
// system honours it), in which every value of the log is written.
bool WriteLogHeader(TLogStore& store, const TStr& messageString, const TStr& okString, unsigned codePage);

// The code page a log's values are written in: its [General] CodePage, or,
// for a log of an earlier version without one, `legacyCodePage` (the system's
// ANSI code page, the one such logs were written in). The reader converts
// every value from it to the code page it runs under itself.
unsigned LogCodePageRule(const TStr& declared, unsigned legacyCodePage);

// Integer value by the profile rule (decimal, "0x" hexadecimal; anything else
// and an absent key give `fallback`).
int ReadLogInteger(const TLogStore& store, const char* section, const char* key, int fallback);

// Walks a numbered list from 1 upwards and stops at the first number whose
// value is empty or missing; a number after a gap is never read. `visit` is
// called for each entry with its number and value (it may be null) and may
// return false to stop early. Returns the number of entries visited.
typedef bool (*TLogListVisit)(void* context, int number, const TStr& value);
int WalkLogList(const TLogStore& store, const char* section, const char* word,
                TLogListVisit visit, void* context);

// Appends to a numbered list without leaving gaps: entries are numbered in
// the order they are appended, whatever the caller skipped in between, so a
// reader that stops at the first gap sees every entry. One log serves every
// run of a product into its folder (a repair, an add-on), so a list goes on
// after the entries an earlier run left, and a value the list already holds
// is not written again: everything stays recorded exactly once.
class TLogListWriter {
public:
  // `next` is the number the first append gets; 0 (the rule) goes on after
  // the list's last entry.
  TLogListWriter(TLogStore& store, const char* section, const char* word, int next = 0);
  // Writes word<next> = value, unless the list holds the value already (then
  // nothing is written and it counts as appended); the number advances only
  // when the write succeeded, so a refused value leaves no gap either.
  bool Append(const TStr& value);
  // Number of the entry the last successful Append wrote or found (0 before
  // any).
  int Last() const { return last_; }

private:
  TLogStore& store_;
  const char* section_;
  const char* word_;
  int next_;
  int last_ = 0;
  TStrList earlier_;  // the values the list held when the writer was made
};
