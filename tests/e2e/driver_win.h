// Drives a running setup package from outside, as a user would: it finds the
// background window and the wizard of the package's process, types into its
// fields, ticks its boxes and presses its buttons with the messages the
// controls send themselves, answers message boxes by their text, and takes
// screenshots. Used by the end-to-end tests and by `make demo`.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct TSetupDriver {
  PROCESS_INFORMATION Process = {};
  std::string ShotFolder;  // empty: no screenshots
  std::vector<std::string> Boxes;  // "caption|text" of every box answered
  std::string Failure;  // the first step that did not work
  // CodeOutsideImages of each process whose box Answer answered, looked at
  // while the box showed, each finding after the box's text.
  std::string OutsideImages;

  ~TSetupDriver();
  bool Start(const std::string& commandLine, const std::string& folder);
  // The package's top-level toolkit window and the wizard on it.
  HWND Background();
  HWND Wizard();
  // A visible control of the wizard (any depth) of `cls` whose text, without
  // '&', is `text`; 0 when there is none.
  HWND Find(const char* cls, const std::string& text);
  // Visible edit fields of the wizard, in creation order.
  std::vector<HWND> Edits();
  bool WaitFor(const std::function<bool()>& ready, DWORD ms, const std::string& what);
  // Waits for a visible label with this text (a page title).
  bool WaitPage(const std::string& title, DWORD ms = 10000);
  bool Press(const std::string& button);
  bool Tick(const std::string& checkBox, bool on);
  bool Type(HWND edit, const std::string& text);
  std::string TextOf(HWND w);
  // Waits for a message box of any process started from the package whose
  // text contains `part`, notes it and presses button `id` (IDYES, IDOK ...).
  bool Answer(const std::string& part, int id, DWORD ms = 15000);
  void Shot(const std::string& name);
  // The colour on screen at (x, y) of the background window's client area.
  COLORREF BackgroundPixel(int x, int y);
  int BackgroundClientHeight();
  // A key pressed in the control that has the focus in the package, posted
  // as the system posts it (repeat count 1, no Alt).
  bool Key(WORD key);
  // The control of the package that has the keyboard focus.
  HWND Focused();
  // A close request to the background window, as Alt+F4 sends it.
  void Close();
  // Waits for the package's process to end; false when it did not in time.
  bool WaitExit(DWORD ms);
  // CodeOutsideImages (image_only_win.h) of the package's process.
  std::string CodeOutsideImages();
  bool Fail(const std::string& what);
};

// Registry and file checks shared by the tests and the demo.
std::string ReadRegString(HKEY root, const std::string& key, const char* name);
bool RegKeyExists(HKEY root, const std::string& key);
bool PathExists(const std::string& path);
std::string ShellFolderPath(int csidl);
// Runs a command line (the uninstall entry's), answers Yes to its question
// and OK to its done message (shown by the removal helper it hands over to),
// each found by its text, and waits until both have ended. Both processes
// are looked at while their boxes show (OutsideImages of `d`).
bool RunUninstaller(TSetupDriver& d, const std::string& commandLine,
                    const std::string& question = "Remove Kestrel Notes",
                    const std::string& done = "Kestrel Notes has been removed.");
