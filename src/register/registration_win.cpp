// The registration flow on the wizard's thread.
#include "register/registration.h"

#include "base/code_page_text.h"
#include "base/code_pages.h"
#include "base/message_box.h"
#include "base/profile_values.h"
#include "package/package_files.h"
#include "register/dialog_frame.h"
#include "register/http_post.h"
#include "register/registration_form.h"
#include "register/uploader.h"

namespace {

// The system's upper-casing for the code page, as the name-exists marker is
// compared.
TStr UpperAnsi(const TStr& s) {
  TStr r(s);
  if (r.size()) CharUpperBuffA(r.buffer(), (DWORD)r.size());
  return r;
}

// A registry value as text of at most 260 bytes, without its trailing zero.
TStr ReadUserValue(const TStr& key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return TStr();
  char value[261] = {};
  DWORD size = 260, type = 0;
  TStr out;
  if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    while (size && value[size - 1] == 0) size--;
    out = TStr(value, size);
  }
  RegCloseKey(k);
  return out;
}

// One attempt: the status window, the post, the library released on its own
// thread. Returns the answer and sets *code.
TStr PostOnce(const TRegistrationOffer& offer, const TRegistrationForm& form, const TStr& name, int* code) {
  TUploader uploader;
  CurrentUploader = &uploader;
  uploader.CreateDialog(form.Wizard);
  // The fields go in the system's code page, as they always have; when one of
  // them holds a character that code page lacks, all go in UTF-8 and the
  // request says so.
  TStr typed[3] = {name, form.CompanyEdit->GetText(), form.EmailEdit ? form.EmailEdit->GetText() : TStr()};
  TStr sent[3];
  bool fits = true;
  for (int i = 0; i < 3; i++) fits = FromActiveCodePage(typed[i], LegacyCodePage(), &sent[i]) && fits;
  for (int i = 0; i < 3 && !fits; i++) FromActiveCodePage(typed[i], kUtf8CodePage, &sent[i]);
  TStr body = RegistrationBody(offer.RegistrationQuery, sent[0], sent[1], sent[2]);
  TStr answer = uploader.Upload(offer.RegistrationURL, body, offer.Product, code, !fits);
  ReleaseWinInetLater();
  return answer;
}

void BuildUploadUsr(void* data, TWinControl*) {
  TUploadUsr* w = static_cast<TUploadUsr*>(data);
  TBitmapControl* icon = AddProductIcon(w, 15);
  w->Icon = icon;
  TWinControl::ProcessMessages();
  int left = icon->Left + icon->Width + 30;
  w->Label = NewLabel(w, "UserName (Alias)", left, 10, w->ClientWidth() - left - 20, 0, 0, 0xC0C0C0, 2, 0);
  w->Label->HitTestAnswer = 1;
  w->Edit = NewEdit(w, "", left, 0, w->ClientWidth() - left - 20, 24, 0, 0xFFFFFF, 0);
  w->OkButton = NewButton(w, "OK", left, 0, 90, 25, 0, 0xC0C0C0, 1);
}

}  // namespace

TUploadUsr::TUploadUsr(TWinControl* owner) : TWinControl(owner) {
  const int kWidth = 280, kHeight = 100;
  PrepareRegistrationWindow(this, kWidth, kHeight, 1);  // not dragged
  OnCreate = {BuildUploadUsr, this};
  CreateHandle();
  ProcessMessages();
  int free = ClientHeight() - (Label->Height + Edit->Height + OkButton->Height + 20);
  Label->SetTop(free / 2);
  Edit->SetTop(Label->Top + Label->Height + 5);
  OkButton->SetTop(Edit->Top + Edit->Height + 15);
  Icon->SetTop(Label->Top);
  Icon->SetLeft(Label->Top);
  DropTitleBar(this, kHeight);
}

TStr AskUserName(TWinControl* owner, const TStr& current) {
  TUploadUsr* dialog = new TUploadUsr(owner);
  dialog->Edit->SetText(current);
  dialog->SetVisible(true);
  dialog->Edit->SetFocus();
  int result = dialog->RunModal();
  // Closed other than by OK (the system's close, the window destroyed): the
  // name stays as it was.
  TStr name = result == 1 ? dialog->Edit->GetText() : current;
  dialog->SetVisible(false);
  delete dialog;
  return name;
}

void RunRegistration(TRegistrationOffer* offer, const TRegistrationForm& form) {
  TStr name = form.NameEdit->GetText();
  HWND owner = form.Wizard->Handle;
  const TStr& errorCaption = form.Texts[TxtError];
  for (;;) {
    int code = 0;
    TStr answer = PostOnce(*offer, form, name, &code);
    offer->RegistrationDone = code == kHttpOk;
    if (code != kHttpOk) {
      TStr message = Concat(answer, "\r\n", ReadPackageText(form.Package, "KESTIN\\regerr.txt"));
      ShowMessage(owner, message.c_str(), errorCaption.c_str(), MB_OK | MB_ICONERROR);
      return;
    }
    TStr line = AnswerFirstLine(answer);
    if (line.empty()) {
      answer = ReadPackageText(form.Package, "KESTIN\\regans.txt");
      line = AnswerFirstLine(answer);
    }
    switch (ClassifyAnswer(line, errorCaption, form.Texts[TxtRegNameExists], UpperAnsi)) {
      case kAnswerError:
        ShowMessage(owner, answer.c_str(), errorCaption.c_str(), MB_OK | MB_ICONERROR);
        return;
      case kAnswerNameExists:
        if (ShowMessage(owner, answer.c_str(), errorCaption.c_str(), MB_YESNO | MB_ICONERROR) != IDYES)
          return;  // done: the user keeps the name
        offer->RegistrationDone = false;
        name = AskUserName(form.Wizard, name);
        break;
      default:
        ShowMessage(owner, answer.c_str(), form.Texts[TxtInformation].c_str(), MB_OK | MB_ICONINFORMATION);
        return;
    }
  }
}

bool OfferRegistration(TRegistrationOffer* offer, const TRegistrationForm& form) {
  // The status window and the name dialog pump messages: a close of the
  // background window (Alt+F4) reaches Finish again while a post runs.
  static bool running;
  if (running) return false;
  if (offer->RegistrationDone) return true;
  if (!offer->AskToRegister) return false;
  running = true;
  TStr question = ReadPackageText(form.Package, "KESTIN\\register.txt");
  if (ShowMessage(form.Background, question.c_str(), form.Texts[TxtRegister].c_str(), MB_YESNO | MB_ICONQUESTION) ==
      IDYES) {
    form.CancelButton->SetEnabled(false);
    RunRegistration(offer, form);
    form.CancelButton->SetEnabled(true);
  } else {
    offer->RegistrationDone = true;
  }
  running = false;
  return offer->RegistrationDone;
}

void ReadRegistrationSettings(TRegistrationOffer* offer, const TScriptValues& script, const TStr& actualUrl) {
  offer->AskToRegister = ProfileInteger(script.Value("Owner", "AskToRegister"), 0) == 1;
  TStr url = script.Value("Owner", "RegistrationURL");
  // Present but empty reads as empty, as the profile functions read it.
  offer->RegistrationURL = script.Has("Owner", "RegistrationURL") ? url : actualUrl;
  offer->RegistrationQuery = script.Value("Owner", "RegistrationQuery");
  offer->Product = script.Value("General", "Caption");
}

TStr DefaultMailAddress() {
  const TStr key = "SOFTWARE\\Microsoft\\Internet Account Manager";
  TStr account = ReadUserValue(key, "Default Mail Account");
  if (account.empty()) return TStr();
  return ReadUserValue(Concat(key, "\\Accounts\\", account), "SMTP Email Address");
}
