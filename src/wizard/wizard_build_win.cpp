// The wizard window and all its controls, built once; the pages only move,
// fill, show and hide them.
#include <windows.h>

#include "base/message_box.h"
#include "install/shortcuts.h"
#include "install/option_size.h"
#include "script/script_errors.h"
#include "script/defaults.h"
#include "script/setup_script.h"
#include "script/texts.h"
#include "wizard/page_flow.h"
#include "install/space_text.h"
#include "wizard/wizard.h"

TWizardWindow* WizardWindow = nullptr;

TStr TWizardWindow::ScriptText(const char* section, const char* key) const {
  return Session.Script->ReadString(section, key, "");
}

void RemoveCaption(TWinControl* w, int width, int height) {
  HWND h = w->Handle;
  SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~WS_CAPTION);
  w->Height = height;
  w->SetBounds(RECT{w->Left, w->Top, w->Left + width, w->Top + height});
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

namespace {

const int kSilver = 0xC0C0C0;

// No title bar on the wizard either: it sits fixed on the background.
void BuildWizard(void* data, TWinControl*) {
  RemoveCaption(static_cast<TWizardWindow*>(data), kWizardWidth, kWizardHeight);
}

TLabel* WrappedLabel(TWinControl* parent, const TStr& text, int left, int top, int width, int height,
                     int alignment = 0) {
  TLabel* l = NewLabel(parent, text.c_str(), left, top, width, height, 0, kSilver, 1, alignment);
  l->SetWordWrap(true);
  l->SetAutoSize(true);
  return l;
}

TLabel* FixedLabel(TWinControl* parent, const TStr& text, int left, int top, int width, int height,
                   int alignment) {
  return NewLabel(parent, text.c_str(), left, top, width, height, 0, kSilver, 1, alignment);
}

// A value of the Options section for one component: key "Option<k>" plus suffix.
TStr OptionText(const TWizardWindow* w, const TStr& key, const char* suffix) {
  return w->ScriptText("Options", Concat(key, suffix).c_str());
}

TBitmapControl* NewImage(TWinControl* parent, const char* resource, DWORD style, bool sunken, int left,
                         int top, int width, int height) {
  TBitmapControl* b = new TBitmapControl(parent);
  b->SunkenEdge = sunken;
  b->Text = resource;
  b->Style = style;
  b->Left = left;
  b->Top = top;
  b->Width = width;
  b->Height = height;
  b->CreateHandle();
  parent->AddChild(b);
  return b;
}

}  // namespace

TWizardWindow::TWizardWindow(TBackgroundWindow* owner) : TWinControl(owner), Session(owner->Session) {
  WizardWindow = this;
  Style = WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  ExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  Width = kWizardWidth;
  Height = kWizardHeight;
  Left = CentredStart(owner->ClientWidth(), kWizardWidth);
  Top = CentredStart(owner->ClientHeight(), kWizardHeight);
  SetColor(kSilver);
  TextColor = 0;
  HitTestAnswer = 1;
  RegistrationOn = owner->Registration.AskToRegister;
  OnCreate = {BuildWizard, this};
  OnKeyDown = {KeyDownHandler, this};
  CreateHandle();
  owner->AddChild(this);
  BuildControls();
}

TWizardWindow::~TWizardWindow() {
  delete[] AssocChecks;
  if (WizardWindow == this) WizardWindow = nullptr;
}

int TWizardWindow::ClientW() { return ClientWidth(); }

void TWizardWindow::BuildControls() {
  const int W = ClientW(), H = kWizardHeight;
  // The text of the labels filled in later, made once for all of them.
  const TStr none;
  TEvent<TNotifyProc> click = {ButtonClick, this};
  TButton** buttons[3] = {&BackButton, &NextButton, &CancelButton};
  const TextId captions[3] = {TxtBack, TxtNext, TxtCancel};
  for (int i = 0; i < 3; i++) {
    TBox b = ButtonBox(i, W, H);
    *buttons[i] = NewButton(this, TextOf(captions[i]).c_str(), b.Left, b.Top, b.Width, b.Height, 0, kSilver, 0);
    (*buttons[i])->OnClick = click;
  }
  CancelControl = CancelButton;

  TBox logo = LogoBox(H);
  const int L = IconLeft(logo);
  LogoImage = NewImage(this, "LOGO", SS_BITMAP | SS_CENTERIMAGE, true, logo.Left, logo.Top, logo.Width,
                       logo.Height);
  IconImage = NewImage(this, "MAINICON", SS_ICON, false, L, 10, 32, 32);

  TitleLabel = WrappedLabel(this, none, L + 42, 10, W - L - 52, 50);
  TitleLabel->Font.SetStyle(1);
  BodyLabel = WrappedLabel(this, none, L, 62, W - L - 20, CutHeight(62, 50, logo.Bottom()));
  TextViewer = NewEdit(this, "", 10, 52, W - 20, 200, 0, 0xFFFFFF,
                       ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL);
  TextViewer->Font.SetName("Courier New");

  NameLabel = WrappedLabel(this, ScriptText("User", "UserCaption"), L, 0, W - L - 10, 0);
  NameEdit = NewEdit(this, GetRegisteredOwner(*Session.MachineRegistry, Session.WindowsNT).c_str(), L, 0, W - L - 10, 24, 0, 0xFFFFFF, 0);
  CompanyLabel = WrappedLabel(this, ScriptText("User", "CompanyCaption"), L, 0, W - L - 10, 0);
  CompanyEdit = NewEdit(this, GetRegisteredOrganization(*Session.MachineRegistry, Session.WindowsNT).c_str(), L, 0, W - L - 10, 24, 0, 0xFFFFFF, 0);
  if (RegistrationOn) {
    EmailLabel = WrappedLabel(this, ScriptText("User", "EmailCaption"), L, 0, W - L - 10, 0);
    EmailEdit = NewEdit(this, DefaultMailAddress().c_str(), L, 0, W - L - 10, 24, 0, 0xFFFFFF, 0);
  }

  // Components.
  const int R = ComponentRowHeight(logo);
  int T = FirstComponentTop(logo);
  for (int k = 1; k <= kMaxOptions; k++) {
    TStr key = Concat("Option", IntToStr(k));
    TStr caption = OptionText(this, key, "_Text");
    if (caption.empty()) break;
    long long size = MeasureOption(Session.Package, *Session.Script, k);
    int i = k - 1;
    ComponentSizes[i] = size;
    ComponentCaptions[i] = caption;
    TBox sizeBox = SizeValueBox(W, T);
    ComponentSizeLabels[i] = FixedLabel(this, KilobyteText(size), sizeBox.Left, T, sizeBox.Width, 30, 2);
    bool enabled = Session.Script->ReadInteger("Options", (key + "_Enabled").c_str(), 1) == 1;
    // The system greys a disabled box's caption to near the wizard's own
    // grey; a component that is always installed keeps its name readable
    // in a label of its own beside the box.
    TCheckBox* c = NewCheckBox(this, enabled ? caption.c_str() : "", L, T, enabled ? sizeBox.Left - L - 10 : 18, 24,
                               0, kSilver);
    if (!enabled) ComponentNames[i] = FixedLabel(this, caption, L + 18, T + 5, sizeBox.Left - L - 28, 16, 0);
    ComponentChecks[i] = c;
    c->SetChecked(true);
    c->SetEnabled(enabled);
    c->OnClick = {UpdateSpaceReq, this};
    c->OnEnter = {ShowDescription, this};
    c->OnMouseMove = {ComponentMouseMove, this};
    ComponentCount = k;
    T += R;
  }
  TBox value = SizeValueBox(W, T);
  SpaceReqLabel = FixedLabel(this, TextOf(TxtSpaceReq), L, T, value.Left - L - 10, 30, 2);
  SpaceReqValue = FixedLabel(this, none, value.Left, T, value.Width, 30, 2);
  SpaceRowTop = T;

  TBox lower = LowerGroupBox(logo, W);
  DescriptionGroup = NewGroupBox(this, TextOf(TxtDescription).c_str(), lower.Left, lower.Top, lower.Width,
                                 lower.Height, 0, kSilver);
  // A frame is never a Tab stop.
  DescriptionGroup->TabStop = false;
  DescriptionLabel = WrappedLabel(DescriptionGroup, ScriptText("Options", "Option1_Desc"), 10, 25,
                                  lower.Width - 20, 0);
  UpdateSpaceReq(this, nullptr);

  FolderGroup = NewGroupBox(this, TextOf(TxtDestFolder).c_str(), lower.Left, lower.Top, lower.Width,
                            lower.Height, 0, kSilver);
  FolderGroup->TabStop = false;
  // The field and its button lie in the group's frame but belong to the
  // wizard itself, so Tab reaches them like every other control of a page.
  int editTop = lower.Top + (lower.Height - 24) / 2 + 5;
  FolderEdit = NewEdit(this, "", lower.Left + 10, editTop, lower.Width - 100, 24, 0, 0xFFFFFF, 0);
  // The lookup may tell why setup cannot go on: the earlier installation
  // this product builds on is missing.
  TError lookup;
  FolderEdit->SetText(GetDestinationFolder(*Session.Script, *Session.MachineRegistry, &lookup));
  if (lookup.Failed()) {
    ShowScriptError(Handle, lookup, Session.Script->Texts);
    Session.Cancel.Raise();
    return;
  }

  FolderEdit->OnChange = {UpdateSpaceAvail, this};
  BrowseButton = NewButton(this, TextOf(TxtBrowse).c_str(), lower.Right() - 80, editTop, 70, 25, 0, kSilver, 0);
  BrowseButton->OnClick = {BrowseClick, this};
  // Above the frame made before them, which would otherwise paint over them.
  SetWindowPos(FolderEdit->Handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(BrowseButton->Handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SpaceAvailLabel = FixedLabel(this, TextOf(TxtSpaceAvail), L, T, value.Left - L - 10, 30, 2);
  SpaceAvailValue = FixedLabel(this, none, value.Left, T, value.Width, 30, 2);

  GroupEditLabel = WrappedLabel(this, ScriptText("Shortcuts", "LabelEdit"), L, 0, W - L - 20, 0);
  GroupListLabel = WrappedLabel(this, ScriptText("Shortcuts", "LabelList"), L, 0, W - L - 20, 0);
  GroupEdit = NewEdit(this, ScriptText("Shortcuts", "Group").c_str(), L, 0, W - L - 20, 24, 0, 0xFFFFFF, 0);
  GroupList = NewListBox(this, L, 0, W - L - 20, 100, 0, 0xFFFFFF, true);
  FillGroupList();
  int match = 0;
  for (int i = 0; i < GroupList->Count(); i++)
    if (SameTextAscii(GroupList->Item(i).c_str(), GroupEdit->GetText().c_str())) {
      match = i;
      break;
    }
  if (GroupList->Count()) GroupList->SetItemIndex(match);
  GroupList->OnChange = {GroupListChange, this};

  ProgressGroup = NewGroupBox(this, TextOf(TxtSetupPrg).c_str(), L, 0, W - L - 10, 100, 0, kSilver);
  ProgressGroup->TabStop = false;
  int gw = W - L - 10;
  PercentLabel = FixedLabel(ProgressGroup, "0 %", 10, 30, gw - 20, 20, 1);
  ProgressBar = NewProgressBar(ProgressGroup, 10, PercentLabel->Top + PercentLabel->Height + 5, gw - 20, 24,
                               0xFF0000, kSilver, 100);
  int gh = ProgressBar->Top + ProgressBar->Height + 12;
  ProgressGroup->SetBounds(RECT{L, logo.Bottom() - gh, L + gw, logo.Bottom()});

  DesktopCheck = NewCheckBox(this, ScriptText("Install", "DShortcut").c_str(), L, 0, W - L - 20, 24, 0, kSilver);
  ProgramsCheck = NewCheckBox(this, ScriptText("Install", "PShortcut").c_str(), L, 24 + 15, W - L - 20, 24, 0, kSilver);
  TStr launch = Concat(ScriptText("Install", "Launch"), " ", ScriptText("General", "ProgramName"));
  LaunchCheck = NewCheckBox(this, launch.c_str(), L, 2 * (24 + 15), W - L - 20, 24, 0, kSilver);
  DesktopCheck->SetChecked(true);
  ProgramsCheck->SetChecked(true);

  Built = true;
  ShowPage(kPageWelcome);
}

void TWizardWindow::FillGroupList() {
  TStr folder = ShortcutBaseFolder(kProgramShortcuts, TStr());
  if (folder.empty()) return;
  WIN32_FIND_DATAA fd;
  // Files are skipped below by their attributes (the directories-only search
  // is a hint the system may ignore anyway).
  HANDLE find = FindFirstFileA((WithBackslash(folder) + "*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.') GroupList->AddItem(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
}
