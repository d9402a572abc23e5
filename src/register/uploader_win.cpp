#include "register/uploader.h"

#include "register/http_post.h"

TUploader* CurrentUploader;
const char* const kStatusConnecting = "Connecting...";
const char* const kStatusConnected = "Connected";
const char* const kStatusSending = "Sending request...";
const char* const kStatusReceiving = "Receiving an answer...";
const char* const kStatusWaiting = "please wait...";

namespace {

const int kMsgWidth = 280, kMsgHeight = 72;
const int kSilver = 0xC0C0C0;

void ShowStatus(const char* text, bool centre, bool pause) {
  TUploadMsg* w = CurrentUploader ? CurrentUploader->Dialog : nullptr;
  if (!w) return;
  if (centre) w->StatusLabel->SetTop((w->ClientHeight() - w->StatusLabel->Height) / 2);
  w->StatusLabel->SetText(text);
  TWinControl::ProcessMessages();
  if (pause) Sleep(kStatusPauseMs);
}

void Opened() { ShowStatus(kStatusConnecting, true, true); }
void Connected() { ShowStatus(kStatusConnected, false, true); }
void Sending() { ShowStatus(kStatusSending, false, true); }
void Sent() { ShowStatus(kStatusReceiving, false, false); }

void BuildUploadMsg(void* data, TWinControl*) {
  TUploadMsg* w = static_cast<TUploadMsg*>(data);
  TBitmapControl* icon = new TBitmapControl(w);
  icon->Text = "MAINICON";
  icon->Style = SS_ICON;
  icon->Left = 20;
  icon->Top = 20;
  icon->Width = 32;
  icon->Height = 32;
  icon->CreateHandle();
  w->Icon = icon;
  int left = icon->Left + icon->Width + 30;
  TLabel* label = new TLabel(w);
  label->HitTestAnswer = 1;
  label->Left = left;
  label->Top = 10;
  label->Width = w->ClientWidth() - left - 20;
  label->BackgroundMode = 2;
  label->TextColor = 0;
  label->Font.SetSize(9);
  label->Font.SetStyle(1);
  label->CreateHandle();
  w->StatusLabel = label;
  w->AddChild(icon);
  w->AddChild(label);
}

}  // namespace

TUploadMsg::TUploadMsg(TWinControl* owner) : TWinControl(owner) {
  Visible = false;
  TabStop = false;
  HitTestAnswer = 2;  // the whole window drags like a caption
  Style = WS_CAPTION | WS_SYSMENU;
  ExStyle = WS_EX_DLGMODALFRAME;
  SetColor(kSilver);
  TextColor = 0;
  Width = kMsgWidth;
  Height = kMsgHeight;
  Left = (ScreenWidth - kMsgWidth) / 2;
  Top = (ScreenHeight - kMsgHeight) / 2;
  OnCreate = {BuildUploadMsg, this};
  CreateHandle();
  ProcessMessages();
  Icon->SetTop((ClientHeight() - 32) / 2);
  StatusLabel->SetTop((ClientHeight() - StatusLabel->Height) / 2);
  // No title bar: the client area is the whole 72 pixels.
  SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) & ~WS_CAPTION);
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  SetHeight(Height - ClientHeight() + kMsgHeight);
}

TUploader::~TUploader() {
  if (Dialog) {
    Dialog->SetVisible(false);
    delete Dialog;
  }
  if (CurrentUploader == this) CurrentUploader = nullptr;
}

void TUploader::CreateDialog(TWinControl* owner) { Dialog = new TUploadMsg(owner); }

TStr TUploader::Upload(const TStr& url, const TStr& body, int* code) {
  if (!LoadWinInet()) {
    *code = kHttpReadFailed;
    return TStr("WININET.DLL not found.");
  }
  OnOpened = Opened;
  OnConnected = Connected;
  OnSending = Sending;
  OnSent = Sent;
  if (Dialog) Dialog->SetVisible(true);
  TStr answer = HttpPost(url, body);
  *code = LastHttpResult;
  if (Dialog) Dialog->StatusLabel->SetText(kStatusWaiting);
  return answer;
}
