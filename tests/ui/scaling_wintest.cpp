// A scaled display: layout stays in 96-dpi pixels, the system sees them scaled.
#include <doctest/doctest.h>

#include <windows.h>

#include "ui/geometry.h"
#include "ui_test_support.h"

namespace {
// Pretends the screen has 144 pixels per inch (150 %) for one test.
struct TScaledScreen {
  int Saved;
  TScaledScreen() {
    StartToolkit();
    Saved = ScreenPixelsPerInch;
    ScreenPixelsPerInch = 144;
  }
  ~TScaledScreen() { ScreenPixelsPerInch = Saved; }
};
}  // namespace

TEST_CASE("at 150 % windows are created and moved at scaled sizes and report layout sizes") {
  TScaledScreen scaled;
  TWinControl form(nullptr);
  PlaceForm(&form, 10, 20, 200, 100);
  form.Style = WS_POPUP;
  form.CreateHandle();
  RECT r;
  GetWindowRect(form.Handle, &r);
  CHECK((r.left == 15 && r.top == 30 && r.right - r.left == 300 && r.bottom - r.top == 150));
  CHECK(form.ClientWidth() == 200);
  CHECK(form.ClientHeight() == 100);
  form.SetLeft(40);
  GetWindowRect(form.Handle, &r);
  CHECK(r.left == 60);

  TButton* b = NewButton(&form, "OK", 10, 10, 90, 25, 0, 0xC0C0C0, 0);
  GetWindowRect(b->Handle, &r);
  CHECK(r.right - r.left == 135);
  CHECK(b->Width == 90);
}

TEST_CASE("at 150 % fonts grow, labels measure in layout pixels, events report layout pixels") {
  TScaledScreen scaled;
  TWinControl form(nullptr);
  PlaceForm(&form, 10, 20, 300, 200);
  form.Style = WS_POPUP;
  form.CreateHandle();
  TLabel* label = NewLabel(&form, "Scaled text", 10, 10, 0, 0, 0, 0xC0C0C0, 1, 0);
  CHECK(label->Font.Desc.lfHeight == -16);  // 8 points at 144 per inch
  RECT r;
  GetWindowRect(label->Handle, &r);
  int deviceWidth = r.right - r.left;
  CHECK(deviceWidth >= LayoutToDevice(label->Width - 1, 144));
  CHECK(LayoutToDevice(label->Width, 144) == deviceWidth);

  static int seenX, seenY;
  form.OnMouseDown = {[](void*, TWinControl*, int, unsigned char, int x, int y) {
                        seenX = x;
                        seenY = y;
                      },
                      nullptr};
  SendMessageA(form.Handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 60));
  CHECK(seenX == 20);
  CHECK(seenY == 40);
}
