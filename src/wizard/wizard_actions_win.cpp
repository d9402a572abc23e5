// What the wizard's buttons and fields do: paging, the cancel question, the
// checks before the install, the install run and the Finish action.
#include <windows.h>
#include <shlobj.h>

#include "base/message_box.h"
#include "install/registry_values.h"
#include "install/shortcuts.h"
#include "script/setup_script.h"
#include "script/texts.h"
#include "wizard/confirmation.h"
#include "install/destination_check.h"
#include "register/registration_form.h"
#include "install/folder_rules.h"
#include "wizard/page_flow.h"
#include "install/space_text.h"
#include "wizard/wizard.h"

void TWizardRunHost::Progress(int percent) {
  wizard_->ProgressBar->SetPosition(percent);
  wizard_->PercentLabel->SetText(IntToStr(percent) + "%");
}

namespace {

int Ask(TWizardWindow* w, const TStr& text, TextId caption, unsigned flags) {
  return ShowMessage(w->Handle, text.c_str(), w->TextOf(caption).c_str(), flags);
}

int ComponentIndex(TWizardWindow* w, TWinControl* box) {
  for (int i = 0; i < w->ComponentCount; i++)
    if (w->ComponentChecks[i] == box) return i;
  return -1;
}

}  // namespace

void TWizardWindow::ButtonClick(void* data, TWinControl* sender) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  if (sender == w->NextButton) w->NextPressed();
  else if (sender == w->BackButton) {
    w->CurrentPage = PageBefore(w->CurrentPage);
    w->ShowPage(w->CurrentPage);
  } else if (sender == w->CancelButton) {
    w->CancelPressed();
  }
}

void TWizardWindow::KeyDownHandler(void* data, TWinControl*, int key, unsigned char shift) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  if (key != VK_RETURN || shift) return;
  // Enter presses the focused button, else the page's default one (Next).
  TWinControl* focused = TWinControl::FromHandle(GetFocus());
  TWinControl* target = w->NextButton;
  TWinControl* buttons[] = {w->BackButton, w->NextButton, w->CancelButton, w->BrowseButton};
  for (TWinControl* b : buttons)
    if (b && b == focused) target = b;
  if (target->Visible && target->Enabled && IsWindowVisible(target->Handle)) ButtonClick(w, target);
}

void TWizardWindow::CancelPressed() {
  switch (PageButtons(CurrentPage, RegistrationOn).CancelAction) {
    case kCancelAsk:
      if (Ask(this, TextOf(TxtExitSetupQuestion), TxtExitSetupCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        Ask(this, TextOf(TxtSetupAborted), TxtWarning, MB_OK | MB_ICONWARNING);
        Session.Cancel.Raise();
        BackgroundWindow->EndModal(2);
      }
      break;
    case kCancelInstall:
      // The run stops at its next step and is rolled back; once it has
      // committed (the uninstall entry is being written) it finishes.
      if (Installing) RequestInstallCancel(Run);
      break;
    case kCancelFinish:
      Finish();
      break;
  }
}

void TWizardWindow::NextPressed() {
  if (CurrentPage == kPageDestination && !DestinationAccepted()) return;
  if (AsksInstallQuestion(CurrentPage)) {
    if (!GroupAccepted()) return;
    TConfirmationTexts t = {TextOf(TxtDoYouWantToInstall), ScriptText("General", "ProgramName"), TextOf(TxtTo),
                            FolderEdit->GetText(), TextOf(TxtNextComponents)};
    bool checked[kMaxOptions];
    for (int i = 0; i < ComponentCount; i++) checked[i] = ComponentChecks[i]->Checked();
    TStr question = ComposeConfirmation(t, ComponentCaptions, checked, ComponentCount);
    if (Ask(this, question, TxtQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  }
  int next = PageAfter(CurrentPage);
  if (next == CurrentPage) return;
  CurrentPage = next;
  ShowPage(CurrentPage);
  if (CurrentPage == kPageInstall) RunInstall();
}

bool TWizardWindow::DestinationAccepted() {
  TStr folder = FolderEdit->GetText();
  TStr problem;
  if (!IsFullFolderPath(folder)) {
    problem = Concat("The destination must be a full folder path, such as C:\\Program Files\\",
                     ScriptText("General", "ProgramName"), ":\r\n", folder);
  } else {
    bool checked[kMaxOptions];
    for (int i = 0; i < ComponentCount; i++) checked[i] = ComponentChecks[i]->Checked();
    long long need = RequiredBytes(ComponentSizes, checked, ComponentCount);
    long long free = FreeBytes(folder);
    if (!HasRoomFor(need, free))
      problem = Concat("There is not enough free space on ", DestinationRoot(folder), "\r\n",
                       Concat(TextOf(TxtSpaceReq), " ", KilobyteText(need), "\r\n"),
                       Concat(TextOf(TxtSpaceAvail), " ", KilobyteText(free)));
    else
      problem = CheckDestinationWritable(folder);
  }
  if (problem.empty()) return true;
  Ask(this, problem, TxtError, MB_OK | MB_ICONERROR);
  Focus(FolderEdit);
  return false;
}

bool TWizardWindow::GroupAccepted() {
  TStr group = GroupEdit->GetText();
  if (IsAcceptableGroupName(group)) return true;
  Ask(this, Concat("The program group must be a name below the programs menu, without a drive or \"..\":\r\n",
                   group),
      TxtError, MB_OK | MB_ICONERROR);
  Focus(GroupEdit);
  return false;
}

void TWizardWindow::Focus(TWinControl* c) {
  if (!c || !c->Visible || !c->Enabled) return;
  FocusedChild = c;
  c->SetFocus();
}

void TWizardWindow::RestoreFocus() {
  TWinControl* c = FocusedChild;
  if (!c || !c->Visible || !c->Enabled) c = NextButton->Visible && NextButton->Enabled ? NextButton : CancelButton;
  Focus(c);
}

void TWizardWindow::RunInstall() {
  TInstallChoices& c = Run.Choices;
  c.ComponentCount = ComponentCount;
  for (int i = 0; i < ComponentCount; i++) {
    c.ComponentChecks[i] = ComponentChecks[i]->Checked();
    c.ComponentSizes[i] = ComponentSizes[i];
  }
  // Accepted by the wizard's rule, which takes '/' as well; handed on in
  // the one form the run checks and logs.
  c.Destination = WindowsSeparators(FolderEdit->GetText());
  c.Group = GroupEdit->GetText();
  TStr groupFolder = ShortcutBaseFolder(kProgramShortcuts, c.Group);
  c.GroupExisted = !c.Group.empty() && GetFileAttributesA(groupFolder.c_str()) != INVALID_FILE_ATTRIBUTES;
  c.UserName = NameEdit->GetText();
  c.Company = CompanyEdit->GetText();
  Run.Script = Session.Script;
  TakeSessionPlaces(Session, Run);
  RunHost.Owner = Handle;
  Run.Host = &RunHost;

  Installing = true;
  TInstallOutcome outcome = StartInstall(Run);
  Installing = false;
  if (outcome == kInstallSucceeded) {
    ProgressBar->SetPosition(100);
    CurrentPage = kPageComplete;
    ShowPage(CurrentPage);
  } else {
    Session.Cancel.Raise();
    BackgroundWindow->EndModal(2);
  }
}

void TWizardWindow::Finish() {
  if (RegistrationOn) {
    TRegistrationForm form;
    form.Background = BackgroundWindow->Handle;
    form.Wizard = this;
    form.NameEdit = NameEdit;
    form.CompanyEdit = CompanyEdit;
    form.EmailEdit = EmailEdit;
    form.CancelButton = CancelButton;
    form.Texts = Session.Script->Texts;
    form.Package = Session.Package;
    // Until the user declines or an answer arrives, the wizard stays on its
    // last page and the next Finish offers again.
    bool done = OfferRegistration(&BackgroundWindow->Registration, form);
    RestoreFocus();
    if (!done) return;
  }
  if (DesktopCheck->Checked()) CreateShortcuts(Run, kDesktopShortcuts);
  if (ProgramsCheck->Checked()) CreateShortcuts(Run, kProgramShortcuts);
  // A cleared box skips its association; the log numbers what is written
  // without gaps, so the uninstall still finds every entry.
  for (int n = 1; n <= AssocCount; n++)
    if (AssocChecks[n - 1]->Checked()) WriteAssociation(Run, n);
  Ask(this, TextOf(TxtSetupCompleted), TxtInformation, MB_OK | MB_ICONINFORMATION);
  TStr program = ScriptText("General", "ProgramFile");
  if (LaunchCheck->Checked() && !program.empty())
    Session.LaunchCommand = Concat("\"", WithBackslash(FolderEdit->GetText()), program, "\"");
  BackgroundWindow->EndModal(1);
}

void TWizardWindow::ValidateUser(void* data, TWinControl*) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  bool ok = (!w->RegistrationOn || !w->EmailEdit || IsValidEmail(w->EmailEdit->GetText())) &&
            !w->NameEdit->GetText().empty() && !w->CompanyEdit->GetText().empty();
  w->NextButton->SetEnabled(ok);
}

void TWizardWindow::UpdateSpaceReq(void* data, TWinControl*) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  bool checked[kMaxOptions];
  for (int i = 0; i < w->ComponentCount; i++) checked[i] = w->ComponentChecks[i]->Checked();
  w->SpaceReqValue->SetText(KilobyteText(RequiredBytes(w->ComponentSizes, checked, w->ComponentCount)));
}

void TWizardWindow::ShowDescription(void* data, TWinControl* sender) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  int i = ComponentIndex(w, sender);
  if (i < 0 || sender == w->DescribedComponent) return;
  TLabel* l = w->DescriptionLabel;
  l->SetWidth(w->DescriptionGroup->Width - 20);
  l->SetText(w->ScriptText("Options", Concat("Option", IntToStr(i + 1), "_Desc").c_str()));
  l->AdjustSize();
  w->DescribedComponent = static_cast<TCheckBox*>(sender);
}

void TWizardWindow::ComponentMouseMove(void* data, TWinControl* sender, unsigned char, int, int) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  if (sender != w->DescribedComponent && sender->Enabled) w->Focus(sender);
  ShowDescription(data, sender);
}

void TWizardWindow::UpdateSpaceAvail(void* data, TWinControl*) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  // The free space of the destination's own root: its drive, or its share.
  w->SpaceAvailValue->SetText(KilobyteText(FreeBytes(w->FolderEdit->GetText())));
}

void TWizardWindow::BrowseClick(void* data, TWinControl*) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  HRESULT init = CoInitialize(nullptr);
  BROWSEINFOA bi = {};
  bi.hwndOwner = w->Handle;
  bi.lpszTitle = w->TextOf(TxtChooseFolder).c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
  if (pidl) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(pidl, path)) w->FolderEdit->SetText(path);
    CoTaskMemFree(pidl);
  }
  if (SUCCEEDED(init)) CoUninitialize();
}

void TWizardWindow::GroupListChange(void* data, TWinControl*) {
  TWizardWindow* w = static_cast<TWizardWindow*>(data);
  int i = w->GroupList->ItemIndex();
  if (i >= 0) w->GroupEdit->SetText(w->GroupList->Item(i));
}
