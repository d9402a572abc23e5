// Makes the window creation named by the first argument fail:
//   register  a window class that cannot be registered
//   create    a toolkit window that cannot be created
//   std       a system control of a class that does not exist
// The toolkit shows its message and ends the program; reaching the end of
// main is the failure this probe exists to catch.
//   foreign   shows a toolkit window until it is closed, for a test that must
//             not take another program's windows for its own
// With a file name as second argument, the message goes to the message hook,
// which writes what it was asked to show into that file and answers OK.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "base/message_box.h"
#include "ui/window.h"

static const char* HookFile;

static int WriteMessage(void* owner, const char* text, const char* caption, unsigned flags) {
  FILE* f = fopen(HookFile, "w");
  if (!f) return IDOK;
  fprintf(f, "%s|%s|%s|%u", text, caption ? caption : "(none)", owner ? "owned" : "unowned", flags);
  fclose(f);
  return IDOK;
}

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "";
  if (argc > 2) {
    HookFile = argv[2];
    MessageHook = WriteMessage;
  }
  if (strcmp(what, "register") == 0) {
    static char longName[400];
    memset(longName, 'K', sizeof longName - 1);  // class names end at 256 characters
    TWinControl w(nullptr);
    w.ClassName = longName;
    w.Left = w.Top = 0;
    w.Width = w.Height = 100;
    w.CreateHandle();
  } else if (strcmp(what, "create") == 0) {
    TWinControl w(nullptr);
    w.Style = WS_CHILD;  // a child window needs a parent
    w.Left = w.Top = 0;
    w.Width = w.Height = 100;
    w.CreateHandle();
  } else if (strcmp(what, "std") == 0) {
    TWinControl form(nullptr);
    form.Left = form.Top = 0;
    form.Width = form.Height = 100;
    form.CreateHandle();
    static const TControlKind missing = {"NoSuchKestinClass", 50, 20, 0, false, 0};
    TStdControl* c = new TStdControl(&form, missing);
    form.AddChild(c);
    c->CreateHandle();
  }
  else if (strcmp(what, "foreign") == 0) {
    TWinControl form(nullptr);
    form.Text = "Kestin foreign probe";
    form.Left = form.Top = 0;
    form.Width = form.Height = 100;
    form.CreateHandle();
    return form.RunModal();
  }
  return 42;
}
