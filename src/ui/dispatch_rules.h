// The decisions of the toolkit's message handling that need no window: which
// cursor an index names, which events a control notification fires, the shift
// states handed to events and where Tab moves the focus. The font character
// set of a code page is base/code_pages.h's.
#pragma once
#include "base/code_pages.h"

// Cursor chosen by a negative cursor index: the cursor's resource identifier
// and whether it is one of the program's own resources (else the system's).
// Identifier 0 means no cursor at all. Indices outside the table give the
// system arrow.
struct TCursorChoice {
  int id;
  bool own;
};
TCursorChoice CursorForIndex(int index);

// Events a control notification code (high word of a command message) fires.
// The code sets merge those of buttons, edit fields and list boxes.
enum {
  NotifyClick = 1,
  NotifyChange = 2,
  NotifyEnter = 4,
  NotifyExit = 8,
};
int NotificationEvents(unsigned code);

// Shift-state bits handed to mouse and key events.
enum {
  ShiftKey = 1,
  ShiftAlt = 2,
  ShiftCtrl = 4,
  ShiftLeftButton = 8,
  ShiftRightButton = 16,
  ShiftMiddleButton = 32,
  ShiftDoubleClick = 64,
};
// From the key flags of a mouse message (the system's MK_ bits) and the Alt key.
unsigned char MouseShiftState(unsigned keyFlags, bool altDown);
// From the Shift and Ctrl keys and a key message's key data (Alt is bit 29).
unsigned char KeyShiftState(bool shiftDown, bool ctrlDown, long keyData);

// Where Tab (or Shift+Tab with `backwards`) moves the focus among `count`
// children treated as a ring, from the child at `focused`.
// `focusable(context, i)` says whether child i may take the focus by Tab.
// With nothing focused yet (`focused` -1) the first child takes it when
// `firstAvailable` (it is visible and enabled, Tab stop or not); otherwise the
// search goes on from the first child. Returns the child to focus, or -1 when
// a full round finds none (the focus then stays where it was).
int FindTabTarget(int count, int focused, bool backwards, bool firstAvailable,
                  bool (*focusable)(const void* context, int index), const void* context);

