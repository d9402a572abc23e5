#include "ui/dispatch_rules.h"

// Cursor identifiers for indices -1 to -21. The program's own cursors are the
// identifiers from 32756 up; all system cursors lie below that.
static const unsigned short CursorIds[21] = {
    0,     32512, 32515, 32513, 32640, 32643, 32645, 32642, 32644, 32516, 32514,
    32766, 32767, 32765, 32764, 32763, 32762, 32648, 32650, 32651, 32761,
};

TCursorChoice CursorForIndex(int index) {
  int id = (index <= -1 && index >= -21) ? CursorIds[-index - 1] : 32512;
  return TCursorChoice{id, id >= 32756};
}

int NotificationEvents(unsigned code) {
  switch (code) {
    case 0: case 2: return NotifyClick;
    case 1: case 768: return NotifyChange;
    case 3: case 6: case 256: return NotifyEnter;
    case 4: return NotifyEnter | NotifyExit;
    case 5: case 7: case 512: return NotifyExit;
    default: return 0;
  }
}

unsigned char MouseShiftState(unsigned keyFlags, bool altDown) {
  unsigned char s = 0;
  if (keyFlags & 0x04) s |= ShiftKey;
  if (altDown) s |= ShiftAlt;
  if (keyFlags & 0x08) s |= ShiftCtrl;
  if (keyFlags & 0x01) s |= ShiftLeftButton;
  if (keyFlags & 0x02) s |= ShiftRightButton;
  if (keyFlags & 0x10) s |= ShiftMiddleButton;
  return s;
}

unsigned char KeyShiftState(bool shiftDown, bool ctrlDown, long keyData) {
  unsigned char s = 0;
  if (shiftDown) s |= ShiftKey;
  if (keyData & 0x20000000) s |= ShiftAlt;
  if (ctrlDown) s |= ShiftCtrl;
  return s;
}

int FindTabTarget(int count, int focused, bool backwards, bool firstAvailable,
                  bool (*focusable)(const void* context, int index), const void* context) {
  if (count <= 0) return -1;
  int at = focused;
  if (at < 0 || at >= count) {
    if (firstAvailable) return 0;
    at = 0;
  }
  for (int step = 0; step < count; step++) {
    at = backwards ? (at == 0 ? count - 1 : at - 1) : (at + 1 == count ? 0 : at + 1);
    if (focusable(context, at)) return at;
  }
  return -1;
}
