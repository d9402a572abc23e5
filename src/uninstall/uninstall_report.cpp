#include "uninstall/uninstall_run.h"

// A message box taller than the screen hides its own buttons.
static const int kReportLines = 12;

static void AppendList(TStr& text, const char* heading, const TStrList& items) {
  if (items.Count() == 0) return;
  if (!text.empty()) text += "\r\n\r\n";
  text += heading;
  int shown = items.Count() < kReportLines ? items.Count() : kReportLines;
  for (int i = 0; i < shown; i++) text += Concat("\r\n", items[i]);
  if (shown < items.Count()) text += Concat("\r\n(", IntToStr(items.Count() - shown), " more)");
}

TStr ReportText(const TStr& doneMessage, const TStrList& notRemoved, const TStrList& skipped) {
  TStr text = doneMessage;
  AppendList(text, "These items could not be removed:", notRemoved);
  AppendList(text, "These uninstall log entries were not acted on:", skipped);
  return text;
}
