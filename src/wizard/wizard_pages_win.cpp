// The nine page layouts. Every page hides what it does not use and places,
// fills and shows what it does, so a page looks the same whichever way it
// was reached.
#include <windows.h>

#include "package/package_files.h"
#include "script/setup_script.h"
#include "script/texts.h"
#include "install/folder_rules.h"
#include "wizard/page_flow.h"
#include "wizard/wizard.h"

namespace {

void Show(TWinControl* c, bool on) {
  if (c) c->SetVisible(on);
}

void Place(TWinControl* c, int left, int top, int width, int height) {
  if (c) c->SetBounds(RECT{left, top, left + width, top + height});
}

// A word-wrapped label at (left, top), `width` wide, holding `text` and as
// high as the text needs.
void PlaceText(TLabel* l, int left, int top, int width, const TStr& text) {
  Place(l, left, top, width, l->Height > 0 ? l->Height : 13);
  l->SetText(text);
  l->AdjustSize();
  if (l->Width != width) l->SetWidth(width);
}

// Key `name` followed by the number n, as in "Caption1".
TStr NumberedKey(const char* name, int n) { return Concat(name, IntToStr(n)); }

TStr AssociationCaption(const TWizardWindow* w, int n) {
  return w->ScriptText("RegisterExt", NumberedKey("Caption", n).c_str());
}

}  // namespace

void TWizardWindow::PlaceTitle(int left, int top, int width, const TStr& text) {
  PlaceText(TitleLabel, left, top, width, text);
}

void TWizardWindow::LayoutCommon(bool logo, const TStr& title, const TStr& body) {
  const int W = ClientW();
  Show(LogoImage, logo);
  int iconLeft = logo ? LogoImage->Left + LogoImage->Width + 10 : 10;
  Place(IconImage, iconLeft, 10, 32, 32);
  Show(IconImage, true);
  PlaceTitle(iconLeft + 42, 10, W - iconLeft - 52, title);
  Show(TitleLabel, true);
  PlaceText(BodyLabel, iconLeft, 10 + 52, W - iconLeft - 20, body);
  int limit = LogoImage->Top + LogoImage->Height;
  if (BodyLabel->Top + BodyLabel->Height > limit) BodyLabel->SetHeight(limit - BodyLabel->Top);
  Show(BodyLabel, true);
}

void TWizardWindow::ShowPage(int page) {
  const int W = ClientW(), H = kWizardHeight;
  const int logoBottom = LogoImage->Top + LogoImage->Height;
  const int L = LogoImage->Left + LogoImage->Width + 10;

  // Everything a page may show starts hidden.
  TWinControl* pageControls[] = {TextViewer, NameLabel, NameEdit, CompanyLabel, CompanyEdit, EmailLabel,
                                 EmailEdit, SpaceReqLabel, SpaceReqValue, DescriptionGroup, FolderGroup, FolderEdit,
                                 BrowseButton, SpaceAvailLabel, SpaceAvailValue, GroupEditLabel, GroupEdit, GroupListLabel,
                                 GroupList, ProgressGroup, DesktopCheck, ProgramsCheck, LaunchCheck};
  for (TWinControl* c : pageControls) Show(c, false);
  for (int i = 0; i < ComponentCount; i++) {
    Show(ComponentChecks[i], false);
    Show(ComponentSizeLabels[i], false);
    Show(ComponentNames[i], false);
  }
  for (int i = 0; i < AssocCount; i++) Show(AssocChecks[i], false);

  TPageButtons b = PageButtons(page, RegistrationOn);
  Show(BackButton, b.BackVisible);
  BackButton->SetEnabled(true);
  Show(NextButton, b.NextVisible);
  NextButton->SetEnabled(true);
  NextButton->SetText(TextOf(b.NextCaption));
  CancelButton->SetText(TextOf(b.CancelCaption));
  CancelControl = b.EscapeCancels ? CancelButton : nullptr;

  switch (page) {
    case kPageWelcome:
      LayoutCommon(true, ScriptText("Welcome", "Caption"), PackageText("KESTIN\\welcome.txt"));
      Focus(NextButton);
      break;

    case kPageWhatsNew:
    case kPageLicense: {
      bool licence = page == kPageLicense;
      LayoutCommon(false, ScriptText(licence ? "License" : "WhatsNew", "Caption"), TStr());
      int viewerTop, viewerBottom;
      if (licence) {
        PlaceText(BodyLabel, 10, 0, W - 20, ScriptText("License", "LicenseBottom"));
        BodyLabel->SetTop(H - BodyLabel->Height - 80);
        viewerTop = TitleLabel->Top + TitleLabel->Height + 10;
        viewerBottom = BodyLabel->Top - 10;
      } else {
        Show(BodyLabel, false);
        TitleLabel->SetTop(IconImage->Top + (IconImage->Height - TitleLabel->Height) / 2);
        viewerTop = IconImage->Top + IconImage->Height + 10;
        viewerBottom = H - 70;
      }
      Place(TextViewer, 10, viewerTop, W - 20, viewerBottom - viewerTop);
      TextViewer->SetText(WithCrLf(PackageText(licence ? "KESTIN\\license.txt" : "KESTIN\\whatsnew.txt")));
      Show(TextViewer, true);
      Focus(NextButton);
      break;
    }

    case kPageUser: {
      LayoutCommon(true, ScriptText("User", "Caption"), TStr());
      Show(BodyLabel, false);
      TWinControl* rows[] = {NameLabel, NameEdit, CompanyLabel, CompanyEdit, EmailLabel, EmailEdit};
      int top = IconImage->Top + IconImage->Height + 20;
      for (int i = 0; i < 6 && rows[i]; i++) {
        rows[i]->SetLeft(L);
        rows[i]->SetTop(top);
        rows[i]->SetWidth(W - L - 10);
        if (i % 2 == 0) static_cast<TLabel*>(rows[i])->AdjustSize();
        Show(rows[i], true);
        top = rows[i]->Top + rows[i]->Height + (i % 2 == 0 ? 5 : 10);
      }
      TEvent<TNotifyProc> validate = {ValidateUser, this};
      NameEdit->OnChange = CompanyEdit->OnChange = validate;
      if (EmailEdit) EmailEdit->OnChange = validate;
      ValidateUser(this, nullptr);
      Focus(NameEdit);
      break;
    }

    case kPageComponents: {
      LayoutCommon(true, ScriptText("Options", "Caption"), TStr());
      Show(BodyLabel, false);
      for (int i = 0; i < ComponentCount; i++) {
        Show(ComponentChecks[i], true);
        Show(ComponentSizeLabels[i], true);
        Show(ComponentNames[i], true);
      }
      SpaceReqLabel->SetTop(SpaceRowTop);
      SpaceReqValue->SetTop(SpaceRowTop);
      Show(SpaceReqLabel, true);
      Show(SpaceReqValue, true);
      Show(DescriptionGroup, true);
      for (int i = 0; i < ComponentCount; i++)
        if (ComponentChecks[i]->Enabled) {
          Focus(ComponentChecks[i]);
          break;
        }
      break;
    }

    case kPageDestination: {
      LayoutCommon(true, ScriptText("Path", "Caption"), PackageText("KESTIN\\folder.txt"));
      Show(FolderGroup, true);
      Show(FolderEdit, true);
      Show(BrowseButton, true);
      SpaceAvailLabel->SetTop(FolderGroup->Top - SpaceReqLabel->Height - 10);
      SpaceAvailValue->SetTop(FolderGroup->Top - SpaceReqValue->Height - 10);
      SpaceReqLabel->SetTop(SpaceAvailLabel->Top - SpaceReqLabel->Height - 10);
      SpaceReqValue->SetTop(SpaceAvailValue->Top - SpaceReqValue->Height - 10);
      TWinControl* space[] = {SpaceReqLabel, SpaceReqValue, SpaceAvailLabel, SpaceAvailValue};
      for (TWinControl* c : space) Show(c, true);
      if (BodyLabel->Top + BodyLabel->Height > SpaceReqLabel->Top - 10)
        BodyLabel->SetHeight(SpaceReqLabel->Top - 10 - BodyLabel->Top);
      UpdateSpaceAvail(this, nullptr);
      Focus(FolderEdit);
      break;
    }

    case kPageGroup: {
      LayoutCommon(true, ScriptText("Shortcuts", "ChooseGroup"), TStr());
      Show(BodyLabel, false);
      // Below the title and the icon both: a one-line title is lower than the icon.
      int top = TitleLabel->Top + TitleLabel->Height;
      if (top < IconImage->Top + IconImage->Height) top = IconImage->Top + IconImage->Height;
      top += 10;
      PlaceText(GroupEditLabel, L, top, W - L - 20, GroupEditLabel->Text);
      Place(GroupEdit, L, GroupEditLabel->Top + GroupEditLabel->Height + 5, W - L - 20, 24);
      PlaceText(GroupListLabel, L, GroupEdit->Top + GroupEdit->Height + 10, W - L - 20, GroupListLabel->Text);
      int listTop = GroupListLabel->Top + GroupListLabel->Height + 5;
      Place(GroupList, L, listTop, W - L - 20, logoBottom - listTop);
      TWinControl* group[] = {GroupEditLabel, GroupEdit, GroupListLabel, GroupList};
      for (TWinControl* c : group) Show(c, true);
      if (GroupList->Count()) GroupList->SetItemIndex(GroupList->ItemIndex() < 0 ? 0 : GroupList->ItemIndex());
      Focus(GroupEdit);
      break;
    }

    case kPageInstall:
      ShowPage7();
      break;

    case kPageComplete:
      ShowPage8();
      break;
  }
  RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWizardWindow::ShowPage7() {
  LayoutCommon(true, ScriptText("Install", "Caption"), PackageText("KESTIN\\process.txt"));
  ProgressBar->SetPosition(0);
  PercentLabel->SetText("0 %");
  Show(ProgressGroup, true);
  Focus(CancelButton);
}

void TWizardWindow::ShowPage8() {
  const int W = ClientW();
  LayoutCommon(true, ScriptText("Install", "Complete"), PackageText("KESTIN\\finish.txt"));
  const int L = IconImage->Left;
  DesktopCheck->SetTop(BodyLabel->Top + BodyLabel->Height + 10);
  ProgramsCheck->SetTop(DesktopCheck->Top + DesktopCheck->Height + 10);
  Show(DesktopCheck, true);
  Show(ProgramsCheck, true);
  const int D = ProgramsCheck->Top - DesktopCheck->Top;
  if (!AssocChecks) {
    int n = 0;
    while (!AssociationCaption(this, n + 1).empty()) n++;
    AssocChecks = new TCheckBox*[n > 0 ? n : 1];
    for (int i = 0; i < n; i++) {
      TStr caption = AssociationCaption(this, i + 1);
      TCheckBox* c = NewCheckBox(this, caption.c_str(), L, ProgramsCheck->Top + (i + 1) * D, ProgramsCheck->Width,
                                 ProgramsCheck->Height, 0, 0xC0C0C0);
      c->SetChecked(true);
      c->SetEnabled(Session.Script->ReadInteger("RegisterExt", NumberedKey("Enabled", i + 1).c_str(), 1) == 1);
      AssocChecks[i] = c;
    }
    AssocCount = n;
  }
  for (int i = 0; i < AssocCount; i++) Show(AssocChecks[i], true);
  LaunchCheck->SetLeft(L);
  LaunchCheck->SetWidth(W - L - 20);
  LaunchCheck->SetTop((AssocCount ? AssocChecks[AssocCount - 1]->Top : ProgramsCheck->Top) + D);
  Show(LaunchCheck, true);
  Focus(CancelButton);
}
