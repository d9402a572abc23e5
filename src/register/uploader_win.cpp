#include "register/uploader.h"

#include "register/dialog_frame.h"
#include "register/http_post.h"

TUploader* CurrentUploader;
const char* const kStatusConnecting = "Connecting...";
const char* const kStatusConnected = "Connected";
const char* const kStatusSending = "Sending request...";
const char* const kStatusReceiving = "Receiving an answer...";
const char* const kStatusWaiting = "please wait...";

namespace {

const int kMsgWidth = 280, kMsgHeight = 72;

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
  TBitmapControl* icon = AddProductIcon(w, 20);
  w->Icon = icon;
  int left = icon->Left + icon->Width + 30;
  TLabel* label = NewLabel(w, "", left, 10, w->ClientWidth() - left - 20, 0, 0, 0xC0C0C0, 2, 0);
  label->HitTestAnswer = 1;
  label->Font.SetSize(9);
  label->Font.SetStyle(1);
  w->StatusLabel = label;
}

}  // namespace

TUploadMsg::TUploadMsg(TWinControl* owner) : TWinControl(owner) {
  // The whole window drags like a caption.
  PrepareRegistrationWindow(this, kMsgWidth, kMsgHeight, 2);
  OnCreate = {BuildUploadMsg, this};
  CreateHandle();
  ProcessMessages();
  Icon->SetTop((ClientHeight() - 32) / 2);
  StatusLabel->SetTop((ClientHeight() - StatusLabel->Height) / 2);
  DropTitleBar(this, kMsgHeight);
}

TUploader::~TUploader() {
  if (Dialog) {
    Dialog->SetVisible(false);
    delete Dialog;
  }
  if (CurrentUploader == this) CurrentUploader = nullptr;
}

void TUploader::CreateDialog(TWinControl* owner) { Dialog = new TUploadMsg(owner); }

TStr TUploader::Upload(const TStr& url, const TStr& body, const TStr& product, int* code, bool utf8) {
  if (!LoadWinInet()) {
    *code = kHttpReadFailed;
    return TStr("WININET.DLL not found.");
  }
  OnOpened = Opened;
  OnConnected = Connected;
  OnSending = Sending;
  OnSent = Sent;
  if (Dialog) Dialog->SetVisible(true);
  TStr answer = HttpPost(url, body, product, utf8);
  *code = LastHttpResult;
  if (Dialog) Dialog->StatusLabel->SetText(kStatusWaiting);
  return answer;
}
