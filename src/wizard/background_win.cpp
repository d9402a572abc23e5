// The background window: 800 x 600, centred, no title bar, painted with the
// script's gradient; the product title at its top, the publisher's caption
// and link at its foot, and the wizard on it.
#include <windows.h>
#include <shellapi.h>

#include "base/message_box.h"
#include "register/http_post.h"
#include "wizard/gradient.h"
#include "wizard/page_flow.h"
#include "wizard/wizard.h"

TBackgroundWindow* BackgroundWindow = nullptr;

namespace {

// Where the link leads when the script names no address of its own.
const char kDefaultOwnerUrl[] = "http://www.kestin.example/";

void OpenOwnerUrl(void* data, TWinControl*, int button, unsigned char, int, int) {
  TBackgroundWindow* bk = static_cast<TBackgroundWindow*>(data);
  if (button == 0 || button == 1)
    ShellExecuteA(bk->Handle, "open", bk->ActualURL.c_str(), "", "", SW_SHOWNORMAL);
}

// A label at the foot, `gap` pixels above `bottom`. It is made with its font
// before its text and its place, so nothing of a first drawing in another
// font or at another place is left on the transparent background.
TLabel* FootLabel(TBackgroundWindow* bk, const TStr& text, int colour, int points, int style, int bottom, int gap) {
  TLabel* l = new TLabel(bk);
  l->BackgroundMode = 2;
  l->Visible = false;
  l->Left = 10;
  l->Top = bottom - gap - 20;
  l->Width = bk->ClientWidth() - 20;
  l->TextColor = colour;
  l->Font.SetName("Arial");
  l->Font.SetSize(points);
  l->Font.SetStyle(style);
  l->Text = text;
  l->CreateHandle();
  bk->AddChild(l);
  l->SetAutoSize(true);
  l->AdjustSize();
  l->SetTop(bottom - gap - l->Height);
  l->SetVisible(!text.empty());
  return l;
}

void BuildBackground(void* data, TWinControl*) {
  TBackgroundWindow* bk = static_cast<TBackgroundWindow*>(data);
  // No title bar: the window is dragged by its background instead.
  RemoveCaption(bk, kBackgroundWidth, kBackgroundHeight);
  int w = bk->ClientWidth();

  TStr product = bk->Session.Script->ReadString("General", "Caption", "");
  bk->TitleLabel = NewLabel(bk, product.c_str(), 10, 10, w - 20, 35, 0xFFFFFF, 0, 2, 0);
  TLabel* title = bk->TitleLabel;
  title->Font.SetName("Times New Roman");
  title->Font.SetSize(24);
  title->Font.SetStyle(1 | 2);
  title->SetShadowDepth(4);
  title->SetWordWrap(false);
  title->SetAutoSize(true);
  title->HitTestAnswer = -1;

  const TSetupScript& script = *bk->Session.Script;
  TStr url = script.ReadString("Owner", "URL", kDefaultOwnerUrl);
  bk->ActualURL = script.ReadString("Owner", "ActualURL", url.c_str());
  ReadRegistrationSettings(&bk->Registration, script, bk->ActualURL);
  TLabel* link = FootLabel(bk, url, 0xFFFFFF, 10, 1 | 4, kBackgroundHeight, 16);
  bk->LinkLabel = link;
  link->HitTestAnswer = 1;
  link->SetCursorIndex(-21);
  link->OnMouseUp = {OpenOwnerUrl, bk};

  TLabel* caption = FootLabel(bk, script.ReadString("Owner", "Caption", ""), 0xC0C0C0, 8, 1, link->Top, 5);
  bk->OwnerCaptionLabel = caption;
  caption->HitTestAnswer = -1;

  // A script the install would refuse is refused now, before the user has
  // paged through the wizard for nothing: the same rule, the same words.
  TInstallRun check;
  check.Script = &script;
  if (!CheckScript(check)) {
    ShowMessage(bk->Handle, DescribeInstallFailure(check.Failure).c_str(), script.Texts[TxtError].c_str(),
                MB_OK | MB_ICONERROR);
    bk->Session.Cancel.Raise();
    return;
  }
  bk->Wizard = new TWizardWindow(bk);
}

}  // namespace

void GradientFill(HDC dc, const RECT& rect, int from, int steps, int to) {
  int height = rect.bottom - rect.top;
  if (height <= 0 || rect.right <= rect.left) return;
  COLORREF a = ResolveColour(from), b = ResolveColour(to);
  TGradientPlan plan = PlanGradient(height, steps);
  auto fill = [&](int top, int bottom, COLORREF c) {
    HBRUSH brush = CreateSolidBrush(c);
    RECT r = {rect.left, top, rect.right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  };
  if (plan.Plain) {
    fill(rect.top, rect.bottom, a);
    return;
  }
  for (int i = 0; i < plan.Count; i++) {
    int top = rect.top + i * plan.Height;
    fill(top, top + plan.Height, GradientBandColour(a, b, i, plan.Count));
  }
  if (plan.Remainder > 0) fill(rect.bottom - plan.Remainder, rect.bottom, b);
}

TBackgroundWindow::TBackgroundWindow(TSetupSession& session) : TWinControl(nullptr), Session(session) {
  BackgroundWindow = this;
  // Not clipping its children: the labels are transparent, the background
  // is painted under them.
  Style = WS_CAPTION | WS_SYSMENU;
  ExStyle = WS_EX_DLGMODALFRAME;
  Text = session.Script->ReadString("General", "Caption", "Kestin");
  HitTestAnswer = 2;
  Width = kBackgroundWidth;
  Height = kBackgroundHeight;
  StartToolkit();
  Left = CentredStart(ScreenWidth, kBackgroundWidth);
  Top = CentredStart(ScreenHeight, kBackgroundHeight);
  MainWindow = true;
  SetColor(0x02CC0000);
  TextColor = 0xFFFFFF;
  OnCreate = {BuildBackground, this};
  OnClose = {CloseRequested, this};
  CreateHandle();
}

bool TBackgroundWindow::CloseRequested(void* data, TWinControl*) {
  TBackgroundWindow* bk = static_cast<TBackgroundWindow*>(data);
  // The wizard decides, as for its own Cancel; the window is never destroyed
  // here, the worker of a running install may still use the wizard.
  TWizardWindow* w = bk->Wizard;
  if (w && w->Built && PageButtons(w->CurrentPage, w->RegistrationOn).EscapeCancels) w->CancelPressed();
  else bk->EndModal(2);
  return false;
}

void TBackgroundWindow::HandleEraseBackground(TMessage& m) {
  RECT client;
  GetClientRect(Handle, &client);
  GradientFill((HDC)m.WParam, client, Session.UpperColour, 255, Session.LowerColour);
  m.Result = 1;
}

void TBackgroundWindow::HandleOwnMessage(TMessage& m) {
  // The background never keeps the focus itself: after a message box or a
  // switch to another program, keys go to the wizard's control again.
  if (m.Msg == WM_SETFOCUS && Wizard && Wizard->Built) Wizard->RestoreFocus();
}
