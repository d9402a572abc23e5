#include <doctest/doctest.h>

#include "wizard/confirmation.h"
#include "wizard/gradient.h"
#include "install/folder_rules.h"
#include "wizard/page_flow.h"
#include "install/space_text.h"
#include "wizard/wizard_layout.h"

TEST_CASE("gradient: band count, height and remainder") {
  TGradientPlan p = PlanGradient(600, 255);
  CHECK(p.Count == 255);
  CHECK(p.Height == 2);
  CHECK(p.Remainder == 90);
  p = PlanGradient(100, 255);
  CHECK(p.Count == 100);
  CHECK(p.Height == 1);
  CHECK(p.Remainder == 0);
  CHECK(PlanGradient(0, 255).Count == 0);
  CHECK_FALSE(PlanGradient(0, 255).Plain);
  CHECK(PlanGradient(50, 1).Plain);
  // One row: two bands of no height, the row in the end colour.
  p = PlanGradient(1, 255);
  CHECK(p.Count == 0);
  CHECK(p.Remainder == 1);
}

TEST_CASE("gradient: each channel fades by its own signed difference") {
  // The default colours: 0x999900 down to black. Red and green fall; a byte
  // difference taken unsigned would wrap them round to bright values.
  unsigned from = 0x999900, to = 0x000000;
  CHECK(GradientBandColour(from, to, 0, 255) == from);
  CHECK(GradientBandColour(from, to, 254, 255) == to);
  unsigned mid = GradientBandColour(from, to, 127, 255);
  CHECK(((mid >> 8) & 0xFF) == 0x4C);  // 153 + round(127 * -153 / 254) = 153 - 77
  CHECK(((mid >> 16) & 0xFF) == 0x4C);
  CHECK((mid & 0xFF) == 0);
  // Rising and falling channels together.
  unsigned c = GradientBandColour(0x0000FF, 0xFF0000, 1, 3);
  CHECK((c & 0xFF) == 0x7F);          // 255 + round(-127.5) = 255 - 128
  CHECK(((c >> 16) & 0xFF) == 0x80);  // 0 + round(255 / 2) = 128
  // Equal colours: a plain fill.
  for (int i = 0; i < 10; i++) CHECK(GradientBandColour(0x123456, 0x123456, i, 10) == 0x123456);
}

TEST_CASE("gradient: rounding to nearest, halves away from zero") {
  CHECK(MulDivRound(1, 1, 2) == 1);
  CHECK(MulDivRound(1, -1, 2) == -1);
  CHECK(MulDivRound(1, 1, 3) == 0);
  CHECK(MulDivRound(2, 1, 3) == 1);
  CHECK(MulDivRound(2, -1, 3) == -1);
}

TEST_CASE("page flow: buttons of each page") {
  CHECK_FALSE(PageButtons(kPageWelcome, false).BackVisible);
  TPageButtons lic = PageButtons(kPageLicense, false);
  CHECK(lic.NextCaption == TxtYes);
  CHECK(lic.CancelCaption == TxtNo);
  CHECK(lic.CancelAction == kCancelAsk);
  CHECK(PageButtons(kPageComponents, false).BackVisible);
  CHECK_FALSE(PageButtons(kPageComponents, true).BackVisible);
  CHECK(PageButtons(kPageGroup, false).NextCaption == TxtInstall);
  TPageButtons inst = PageButtons(kPageInstall, false);
  CHECK_FALSE(inst.BackVisible);
  CHECK_FALSE(inst.NextVisible);
  CHECK(inst.CancelAction == kCancelInstall);
  CHECK(inst.EscapeCancels);
  TPageButtons done = PageButtons(kPageComplete, false);
  CHECK(done.CancelCaption == TxtFinish);
  CHECK(done.CancelAction == kCancelFinish);
  // Escape must never finish setup.
  CHECK_FALSE(done.EscapeCancels);
}

TEST_CASE("page flow: Next and Back walk the pages in order, never past the install") {
  int page = kPageWelcome;
  for (int i = 0; i < 20; i++) page = PageAfter(page);
  CHECK(page == kPageInstall);
  CHECK(PageBefore(kPageWelcome) == kPageWelcome);
  CHECK(PageBefore(kPageGroup) == kPageDestination);
  CHECK(PageBefore(kPageInstall) == kPageInstall);
  CHECK(PageBefore(kPageComplete) == kPageComplete);
  CHECK(AsksInstallQuestion(kPageGroup));
  CHECK_FALSE(AsksInstallQuestion(kPageDestination));
}

TEST_CASE("layout: the build-time boxes") {
  TBox logo = LogoBox(kWizardHeight);
  CHECK(logo.Height == 304);
  CHECK(logo.Width == 141);
  CHECK(ComponentRowHeight(logo) == 34);
  CHECK(FirstComponentTop(logo) == 61);
  TBox next = ButtonBox(1, 634, kWizardHeight);
  CHECK(next.Left == 634 - 210);
  CHECK(next.Top == 344);
  TBox group = LowerGroupBox(logo, 634);
  CHECK(group.Left == 161);
  CHECK(group.Bottom() == logo.Bottom());
  TBox value = SizeValueBox(634, 61);
  CHECK(value.Right() == 634 - 30);
  CHECK(group.Left + 10 < value.Left - 10);  // the caption column keeps room
  CHECK(CentredStart(640, 800) == -80);
  CHECK(CentredStart(799, 800) == 0);  // rounds toward zero
  CHECK(RoundHalfEven(5, 2) == 2);
  CHECK(RoundHalfEven(7, 2) == 4);
}

TEST_CASE("space: kilobytes and the comparison over 4 GB") {
  CHECK(KilobyteText(0) == "0K");
  CHECK(KilobyteText(1023) == "0K");
  CHECK(KilobyteText(5LL << 30) == "5242880K");
  long long sizes[3] = {3LL << 30, 2LL << 30, 100};
  bool checked[3] = {true, true, false};
  long long req = RequiredBytes(sizes, checked, 3);
  CHECK(req == (5LL << 30));
  CHECK_FALSE(HasRoomFor(req, 4LL << 30));
  CHECK(HasRoomFor(req, 6LL << 30));
  CHECK(HasRoomFor(req, -1));
}

TEST_CASE("input: the destination must be an absolute folder") {
  CHECK(IsFullFolderPath("C:\\Program Files\\Kestrel"));
  CHECK(IsFullFolderPath("d:/Apps/Kestrel/"));
  CHECK(IsFullFolderPath("\\\\server\\share\\Kestrel"));
  CHECK_FALSE(IsFullFolderPath(""));
  CHECK_FALSE(IsFullFolderPath("Kestrel"));
  CHECK_FALSE(IsFullFolderPath("\\Kestrel"));
  CHECK_FALSE(IsFullFolderPath("C:Kestrel"));
  CHECK_FALSE(IsFullFolderPath("C:\\"));
  CHECK_FALSE(IsFullFolderPath("\\\\server\\share"));
  CHECK_FALSE(IsFullFolderPath("\\\\?\\C:\\x"));
  CHECK_FALSE(IsFullFolderPath("C:\\a\\..\\b"));
  CHECK_FALSE(IsFullFolderPath("C:\\a\\\\b"));
  CHECK_FALSE(IsFullFolderPath("C:\\a?b"));
  CHECK_FALSE(IsFullFolderPath("C:\\a:b"));
  CHECK(DestinationRoot("c:\\x\\y") == "c:\\");
  CHECK(DestinationRoot("\\\\srv\\sh\\x") == "\\\\srv\\sh\\");
  CHECK(DestinationRoot("//srv/sh/x") == "\\\\srv\\sh\\");
  CHECK(DestinationRoot("x\\y") == "");
}

TEST_CASE("input: program group names stay below the programs folder") {
  CHECK(IsAcceptableGroupName(""));
  CHECK(IsAcceptableGroupName("Kestrel Notes"));
  CHECK(IsAcceptableGroupName("Tools\\Kestrel"));
  CHECK_FALSE(IsAcceptableGroupName("..\\Startup"));
  CHECK_FALSE(IsAcceptableGroupName("Tools\\..\\.."));
  CHECK_FALSE(IsAcceptableGroupName("C:\\Kestrel"));
  CHECK_FALSE(IsAcceptableGroupName("\\Kestrel"));
  CHECK_FALSE(IsAcceptableGroupName("a|b"));
}

TEST_CASE("install question: the exact lines") {
  TConfirmationTexts t = {"Do you want to install", "Kestrel", "to", "C:\\K", "with:"};
  TStr caps[3] = {"One", "Two", "Three"};
  bool checked[3] = {true, false, true};
  CHECK(ComposeConfirmation(t, caps, checked, 1) == "Do you want to install \r\nKestrel\r\nto\r\nC:\\K?\r\n\r\n");
  CHECK(ComposeConfirmation(t, caps, checked, 3) ==
        "Do you want to install \r\nKestrel\r\nto\r\nC:\\K?\r\n\r\nwith:\r\n\r\nOne\r\nThree\r\n");
  CHECK(ComposeConfirmation(t, caps, checked, 0) == "Do you want to install \r\nKestrel\r\nto\r\nC:\\K?\r\n\r\n");
}

TEST_CASE("viewer text: lone line feeds become CR LF, CR LF stays") {
  CHECK(WithCrLf("a\nb\r\nc\n") == "a\r\nb\r\nc\r\n");
  CHECK(WithCrLf("\n") == "\r\n");
  CHECK(WithCrLf("") == "");
}
