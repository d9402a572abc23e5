// The toolkit's window-free rules: scaling, font heights, label placement,
// cursor table, notification codes, shift states, Tab order, character sets.
#include <doctest/doctest.h>

#include <vector>

#include "ui/dispatch_rules.h"
#include "ui/geometry.h"

TEST_CASE("scaling rounds halves away from zero, like the system's multiply-divide") {
  CHECK(ScaleRound(8, 96, 72) == 11);   // 10.67
  CHECK(ScaleRound(3, 1, 2) == 2);      // 1.5
  CHECK(ScaleRound(-3, 1, 2) == -2);
  CHECK(ScaleRound(3, -1, 2) == -2);
  CHECK(ScaleRound(5, 1, 4) == 1);      // 1.25
}

TEST_CASE("layout pixels scale with the display and come back unchanged") {
  CHECK(LayoutToDevice(800, 96) == 800);
  CHECK(LayoutToDevice(800, 120) == 1000);
  CHECK(LayoutToDevice(75, 144) == 113);  // 112.5
  CHECK(DeviceToLayout(1000, 120) == 800);
  for (int dpi : {96, 120, 144, 168, 192})
    for (int v : {0, 1, 7, 25, 384, 640, -10}) CHECK(DeviceToLayout(LayoutToDevice(v, dpi), dpi) == v);
}

TEST_CASE("a measured size scaled back never loses a device pixel") {
  for (int dpi : {96, 120, 144, 168}) {
    for (int device = 1; device < 300; device++) {
      int layout = DeviceToLayoutUp(device, dpi);
      CHECK(LayoutToDevice(layout, dpi) >= device);
      CHECK(LayoutToDevice(layout - 1, dpi) < device);
    }
  }
}

TEST_CASE("font heights are negative character heights from points") {
  CHECK(FontHeightForPoints(8, 96) == -11);
  CHECK(FontHeightForPoints(24, 96) == -32);
  CHECK(FontHeightForPoints(10, 96) == -13);
  CHECK(FontHeightForPoints(8, 120) == -13);  // 13.33
  CHECK(FontHeightForPoints(9, 144) == -18);
}

TEST_CASE("centring divides toward zero, also for a window larger than the screen") {
  CHECK(CentredStart(1024, 800) == 112);
  CHECK(CentredStart(1025, 800) == 112);
  CHECK(CentredStart(640, 800) == -80);
  CHECK(CentredStart(639, 800) == -80);  // -80.5 toward zero
}

TEST_CASE("a measured label keeps its top, and its right edge when right-aligned") {
  TBox old{10, 20, 50, 30};
  TBox left = PlaceMeasuredLabel(old, 80, 17, false);
  CHECK(left.Left == 10);
  CHECK(left.Top == 20);
  CHECK(left.Width == 80);
  CHECK(left.Height == 17);
  TBox right = PlaceMeasuredLabel(old, 80, 17, true);
  CHECK(right.Left + right.Width == 60);
  CHECK(right.Left == -20);
  CHECK(right.Top == 20);
}

TEST_CASE("shadow directions") {
  int dx, dy;
  ShadowOffset(0, 4, &dx, &dy);
  CHECK((dx == -4 && dy == -4));
  ShadowOffset(1, 4, &dx, &dy);
  CHECK((dx == -4 && dy == 4));
  ShadowOffset(2, 4, &dx, &dy);
  CHECK((dx == 4 && dy == 4));
  ShadowOffset(3, 4, &dx, &dy);
  CHECK((dx == 4 && dy == -4));
  ShadowOffset(9, 2, &dx, &dy);
  CHECK((dx == 2 && dy == 2));
}

TEST_CASE("cursor indices: system cursors, own resources, no cursor, out of range") {
  CHECK(CursorForIndex(-1).id == 0);
  CHECK(CursorForIndex(-4).id == 32513);
  CHECK(CursorForIndex(-13).id == 32767);
  CHECK(CursorForIndex(-17).id == 32762);
  CHECK(CursorForIndex(-21).id == 32761);
  for (int i = -1; i >= -21; i--) {
    bool isOwn = (i <= -12 && i >= -17) || i == -21;
    CHECK(CursorForIndex(i).own == isOwn);
  }
  CHECK(CursorForIndex(-22).id == 32512);
  CHECK(!CursorForIndex(-22).own);
}

TEST_CASE("notification codes of buttons, edits and list boxes map to events") {
  CHECK(NotificationEvents(0) == NotifyClick);      // button clicked
  CHECK(NotificationEvents(2) == NotifyClick);      // list box double click
  CHECK(NotificationEvents(1) == NotifyChange);     // list box selection
  CHECK(NotificationEvents(768) == NotifyChange);   // edit changed
  CHECK(NotificationEvents(256) == NotifyEnter);    // edit focus
  CHECK(NotificationEvents(512) == NotifyExit);
  CHECK(NotificationEvents(6) == NotifyEnter);      // button focus
  CHECK(NotificationEvents(7) == NotifyExit);
  CHECK(NotificationEvents(3) == NotifyEnter);
  CHECK(NotificationEvents(5) == NotifyExit);
  CHECK(NotificationEvents(4) == (NotifyEnter | NotifyExit));
  CHECK(NotificationEvents(1024) == 0);             // edit update
  CHECK(NotificationEvents(8) == 0);
}

TEST_CASE("shift states: mouse key flags and the Alt key; key data bit 29 for Alt") {
  CHECK(MouseShiftState(0x04 | 0x01, false) == (ShiftKey | ShiftLeftButton));
  CHECK(MouseShiftState(0x08 | 0x02 | 0x10, true) ==
        (ShiftCtrl | ShiftRightButton | ShiftMiddleButton | ShiftAlt));
  CHECK(KeyShiftState(true, true, 0) == (ShiftKey | ShiftCtrl));
  CHECK(KeyShiftState(false, false, 0x20000000) == ShiftAlt);
  CHECK(KeyShiftState(false, false, 0x1FFFFFFF) == 0);
}

namespace {
std::vector<bool> Ring;
bool InRing(const void*, int i) { return Ring[i]; }
// `firstAvailable` -1: the first child is available exactly when it is focusable.
int Tab(std::vector<bool> ring, int focused, bool backwards = false, int firstAvailable = -1) {
  Ring = ring;
  bool first = firstAvailable < 0 ? (!ring.empty() && ring[0]) : firstAvailable != 0;
  return FindTabTarget((int)Ring.size(), focused, backwards, first, InRing, nullptr);
}
}  // namespace

TEST_CASE("Tab moves to the next focusable child and wraps around") {
  CHECK(Tab({true, false, true, true}, 0) == 2);
  CHECK(Tab({true, false, true, true}, 2) == 3);
  CHECK(Tab({true, false, true, true}, 3) == 0);   // last to first
  CHECK(Tab({false, true, false, false}, 1) == 1);  // the only one keeps it
}

TEST_CASE("Shift+Tab moves back and wraps from the first to the last") {
  CHECK(Tab({true, false, true, true}, 0, true) == 3);
  CHECK(Tab({true, false, true, true}, 2, true) == 0);
  CHECK(Tab({true, true, false, false}, 0, true) == 1);
}

TEST_CASE("with nothing focused the first focusable child from the start takes it") {
  CHECK(Tab({true, true}, -1) == 0);
  CHECK(Tab({false, false, true}, -1) == 2);
  CHECK(Tab({false, true, false}, -1, true) == 1);
}

TEST_CASE("with nothing focused a visible, enabled first child takes the focus without a Tab stop") {
  CHECK(Tab({false, true}, -1, false, 1) == 0);
  CHECK(Tab({false, true}, -1, true, 1) == 0);
  CHECK(Tab({false, false, true}, -1, false, 0) == 2);  // hidden or disabled: on from it
  CHECK(Tab({false, true}, 0, false, 1) == 1);          // once focused, Tab stops count
}

TEST_CASE("no focusable child: the focus stays where it was") {
  CHECK(Tab({false, false, false}, 1) == -1);
  CHECK(Tab({false, false, false}, -1) == -1);
  CHECK(Tab({}, -1) == -1);
}

TEST_CASE("character sets of the ANSI code pages; others get the default set") {
  CHECK(CharsetForCodePage(1252) == 0);
  CHECK(CharsetForCodePage(1251) == 204);
  CHECK(CharsetForCodePage(1361) == 130);
  CHECK(CharsetForCodePage(437) == 1);
  CHECK(CharsetForCodePage(65001) == 1);
}
