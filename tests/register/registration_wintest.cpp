// The registration flow against the local endpoint that reg_server.py runs
// beside this program: what arrives, what the user is shown, and that every
// answer (or none) ends the flow.
#include <doctest/doctest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "register/registration.h"
#include "register/http_post.h"
#include "register/uploader.h"
#include "script/texts.h"
#include "test_files.h"

namespace {

struct TBox {
  std::string Text, Caption;
  unsigned Flags;
};
std::vector<TBox> g_boxes;
int g_offerAnswer = IDYES;
int g_retryAnswer = IDYES;
const char* g_newName = "Jane2";

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

// The record folder as this program sees it (the Unix root is drive Z:).
std::string Recorded(const std::string& name) {
  std::string path = "Z:" + Env("KESTIN_REG_RECORD") + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}
int RequestCount() { return atoi(Recorded("count").c_str()); }

BOOL CALLBACK FillNameDialog(HWND w, LPARAM) {
  TWinControl* c = TWinControl::FromHandle(w);
  if (!c || !IsWindowVisible(w) || c->ChildCount() != 4 || !(c->Child(1)->Text == "UserName (Alias)"))
    return TRUE;
  TUploadUsr* dialog = static_cast<TUploadUsr*>(c);
  dialog->Edit->SetText(g_newName);
  SendMessageA(dialog->OkButton->Handle, BM_CLICK, 0, 0);
  return FALSE;
}

void CALLBACK NameDialogTimer(HWND, UINT, UINT_PTR id, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), FillNameDialog, 0);
}

int Answer(void*, const char* text, const char* caption, unsigned flags) {
  g_boxes.push_back({text, caption, flags});
  if (flags & MB_ICONQUESTION) return g_offerAnswer;
  if ((flags & MB_YESNO) && g_retryAnswer == IDYES) {
    // The user-name dialog comes next; type the new name into it then.
    static UINT_PTR timer;
    if (timer) KillTimer(nullptr, timer);
    timer = SetTimer(nullptr, 0, 300, NameDialogTimer);
  }
  return (flags & MB_YESNO) ? g_retryAnswer : IDOK;
}

// A stand-in for the wizard: its three fields and its Finish button.
struct TFakeWizard {
  TWinControl Form{nullptr};
  TRegistrationForm Fields;
  TRegistrationOffer Offer;
  TFakeWizard(const std::string& path) {
    Form.Left = 100;
    Form.Top = 100;
    Form.Width = 400;
    Form.Height = 300;
    Form.CreateHandle();
    Fields.Background = Form.Handle;
    Fields.Wizard = &Form;
    Fields.NameEdit = NewEdit(&Form, "Jane Doe", 10, 10, 200, 24, 0, 0xFFFFFF, 0);
    Fields.CompanyEdit = NewEdit(&Form, "ACME & Co.", 10, 40, 200, 24, 0, 0xFFFFFF, 0);
    Fields.EmailEdit = NewEdit(&Form, "jane@example.com", 10, 70, 200, 24, 0, 0xFFFFFF, 0);
    Fields.CancelButton = NewButton(&Form, "Finish", 10, 100, 90, 25, 0, 0xC0C0C0, 0);
    Offer.AskToRegister = true;
    Offer.RegistrationURL = Url(path).c_str();
    g_boxes.clear();
    g_offerAnswer = IDYES;
    g_retryAnswer = IDYES;
    MessageHook = Answer;
    Fields.Texts.Set(TxtError, "Error");
    Fields.Texts.Set(TxtInformation, "Information");
    Fields.Texts.Set(TxtRegister, "Register");
    Fields.Texts.Set(TxtRegNameExists, "exists");
  }
  ~TFakeWizard() { MessageHook = nullptr; }
  static std::string Url(const std::string& path) { return "http://127.0.0.1:" + Env("KESTIN_REG_PORT") + path; }
  bool Finish() { return OfferRegistration(&Offer, Fields); }
};

const char kBody[] = "usr=Jane%20Doe&org=ACME%20%26%20Co%2E&eml=jane@example%2Ecom";
const char kOkAnswer[] = "Thank you for registering.\r\nYour key follows by mail.\r\n";

bool ServerPresent() {
  if (Env("KESTIN_REG_PORT").empty()) {
    MESSAGE("no local registration endpoint (run through reg_server.py)");
    return false;
  }
  return true;
}

}  // namespace

TEST_CASE("registration: an ordinary answer is shown as information, once") {
  if (!ServerPresent()) return;
  TFakeWizard w("/ok");
  int before = RequestCount();
  CHECK(w.Finish());
  REQUIRE(RequestCount() == before + 1);
  std::string n = std::to_string(before + 1);
  CHECK(Recorded("body-" + n) == kBody);
  std::string head = Recorded("head-" + n);
  CHECK(head.rfind("POST /ok HTTP/1.1\r\n", 0) == 0);
  CHECK(head.find("Content-Type: application/x-www-form-urlencoded\r\n") != std::string::npos);
  // One Host header, naming the port the address gave.
  std::string host = "Host: 127.0.0.1:" + Env("KESTIN_REG_PORT") + "\r\n";
  CHECK(head.find(host) != std::string::npos);
  CHECK(head.find("Host:") == head.rfind("Host:"));
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[0].Caption == "Register");
  CHECK(g_boxes[0].Flags == (MB_YESNO | MB_ICONQUESTION));
  CHECK(g_boxes[1].Text == kOkAnswer);
  CHECK(g_boxes[1].Caption == "Information");
  CHECK(g_boxes[1].Flags == (MB_OK | MB_ICONINFORMATION));
  CHECK(IsWindowEnabled(w.Fields.CancelButton->Handle));
  // Done: the next Finish neither asks nor posts.
  CHECK(w.Finish());
  CHECK(g_boxes.size() == 2);
  CHECK(RequestCount() == before + 1);
}

TEST_CASE("registration: the publisher's query goes in front of the fields; a slow answer is waited for") {
  if (!ServerPresent()) return;
  TFakeWizard w("/slow");
  w.Offer.RegistrationQuery = "product=demo&v=2";
  CHECK(w.Finish());
  CHECK(Recorded("body-" + std::to_string(RequestCount())) == std::string("product=demo&v=2&") + kBody);
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[1].Text == kOkAnswer);
}

TEST_CASE("registration: fields go in the locale's code page, or all in UTF-8, said so, when one does not fit") {
  if (!ServerPresent()) return;
  struct {
    const char* name;  // as typed: setup runs with UTF-8 as its code page
    const char* sent;
    bool utf8;
  } const cases[] = {{"J\xC3\xBCrgen", "usr=J%FCrgen", false},
                     {"J\xC3\xBCrgen \xE7\x94\xB0\xE4\xB8\xAD", "usr=J%C3%BCrgen%20%E7%94%B0%E4%B8%AD", true}};
  for (const auto& c : cases) {
    CAPTURE(c.sent);
    TFakeWizard w("/ok");
    w.Fields.NameEdit->SetText(c.name);
    CHECK(w.Finish());
    std::string n = std::to_string(RequestCount());
    CHECK(Recorded("body-" + n).rfind(std::string(c.sent) + "&org=", 0) == 0);
    CHECK((Recorded("head-" + n).find("x-www-form-urlencoded; charset=UTF-8\r\n") != std::string::npos) == c.utf8);
  }
}

TEST_CASE("registration: name taken, the user picks another, the retry succeeds") {
  if (!ServerPresent()) return;
  TFakeWizard w("/exists-once");
  int before = RequestCount();
  CHECK(w.Finish());
  REQUIRE(RequestCount() == before + 2);
  CHECK(Recorded("body-" + std::to_string(before + 1)) == kBody);
  CHECK(Recorded("body-" + std::to_string(before + 2)) ==
        "usr=Jane2&org=ACME%20%26%20Co%2E&eml=jane@example%2Ecom");
  REQUIRE(g_boxes.size() == 3);
  CHECK(g_boxes[1].Caption == "Error");
  CHECK(g_boxes[1].Flags == (MB_YESNO | MB_ICONERROR));
  CHECK(g_boxes[2].Caption == "Information");
  // The wizard's own field keeps the name the user gave first.
  CHECK(w.Fields.NameEdit->GetText() == "Jane Doe");
}

TEST_CASE("registration: name taken and no retry ends the offer") {
  if (!ServerPresent()) return;
  TFakeWizard w("/exists");
  g_retryAnswer = IDNO;
  CHECK(w.Finish());
  CHECK(g_boxes.size() == 2);
  CHECK(w.Finish());
  CHECK(g_boxes.size() == 2);
}

TEST_CASE("registration: an error answer is shown with the error caption, whatever the status") {
  if (!ServerPresent()) return;
  TFakeWizard w("/error");
  CHECK(w.Finish());
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[1].Text == "Error: the registration database is down.\r\n");
  CHECK(g_boxes[1].Caption == "Error");
  CHECK(g_boxes[1].Flags == (MB_OK | MB_ICONERROR));
}

TEST_CASE("registration: failures keep the wizard on its page and the next Finish offers again") {
  if (!ServerPresent()) return;
  struct {
    std::string Url;
    const char* Start;
  } cases[] = {
      {"http://127.0.0.1:" + Env("KESTIN_REG_DEAD_PORT") + "/reg", "httpSendRequest failed."},
      {TFakeWizard::Url("/big"), "InternetReadFile failed: the answer is too large."},
      {"http://", ""},
  };
  for (auto& c : cases) {
    CAPTURE(c.Url);
    TFakeWizard w("");
    w.Offer.RegistrationURL = c.Url.c_str();
    CHECK_FALSE(w.Finish());
    REQUIRE(g_boxes.size() == 2);
    CHECK(g_boxes[1].Text.rfind(c.Start, 0) == 0);
    CHECK(g_boxes[1].Caption == "Error");
    CHECK(g_boxes[1].Flags == (MB_OK | MB_ICONERROR));
    CHECK(IsWindowEnabled(w.Fields.CancelButton->Handle));
    CHECK_FALSE(w.Finish());
    CHECK(g_boxes.size() == 4);
    CHECK(g_boxes[2].Caption == "Register");
  }
}

TEST_CASE("registration: a server that accepts and never answers is given up on") {
  if (!ServerPresent()) return;
  HttpTimeoutMs = 1500;
  TFakeWizard w("/silent");
  DWORD start = GetTickCount();
  CHECK_FALSE(w.Finish());
  DWORD took = GetTickCount() - start;
  HttpTimeoutMs = kHttpTimeoutMs;
  CHECK(took < 15000);
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[1].Caption == "Error");
  CHECK(g_boxes[1].Text.find("failed") != std::string::npos);
  CHECK(IsWindowEnabled(w.Fields.CancelButton->Handle));
}

TEST_CASE("registration: without the HTTP library's entry points nothing is called and the user is told") {
  if (!ServerPresent()) return;
  for (const char* library : {"kernel32.dll", "no-such-library.dll"}) {
    CAPTURE(library);
    HttpLibraryName = library;
    TFakeWizard w("/ok");
    CHECK_FALSE(w.Finish());
    HttpLibraryName = "wininet.dll";
    REQUIRE(g_boxes.size() == 2);
    CHECK(g_boxes[1].Caption == "Error");
    CHECK(g_boxes[1].Text.rfind("WININET.DLL not found.", 0) == 0);
    CHECK(IsWindowEnabled(w.Fields.CancelButton->Handle));
  }
  // Nothing of the failed attempts stays loaded: the next one works.
  TFakeWizard w("/ok");
  CHECK(w.Finish());
}

TEST_CASE("registration: a garbled answer ends the flow with a message") {
  if (!ServerPresent()) return;
  TFakeWizard w("/garbage");
  w.Finish();
  CHECK(g_boxes.size() == 2);
  CHECK(IsWindowEnabled(w.Fields.CancelButton->Handle));
}

TEST_CASE("registration: an answer without a terminated first line is shown as information") {
  if (!ServerPresent()) return;
  TFakeWizard w("/unterminated");
  CHECK(w.Finish());
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[1].Caption == "Information");
}

TEST_CASE("registration: an https address is posted over TLS, never in plain text") {
  if (!ServerPresent()) return;
  TFakeWizard w("");
  w.Offer.RegistrationURL = ("https://127.0.0.1:" + Env("KESTIN_REG_TLS_PORT") + "/reg").c_str();
  CHECK_FALSE(w.Finish());  // the endpoint speaks no TLS: a failure, shown
  std::string first = Recorded("tls-first");
  CHECK(first.substr(0, 4) == "1603");  // a TLS handshake record
  REQUIRE(g_boxes.size() == 2);
  CHECK(g_boxes[1].Caption == "Error");
}

TEST_CASE("registration: declining or switched off, nothing is posted") {
  if (!ServerPresent()) return;
  TFakeWizard w("/ok");
  int before = RequestCount();
  g_offerAnswer = IDNO;
  CHECK(w.Finish());
  CHECK(w.Finish());
  CHECK(g_boxes.size() == 1);
  TFakeWizard off("/ok");
  off.Offer.AskToRegister = false;
  CHECK_FALSE(off.Finish());
  CHECK(g_boxes.empty());
  CHECK(RequestCount() == before);
}

namespace {
std::vector<std::string> g_statusTexts;
// Every text given to the status window's label, as it is given.
LRESULT CALLBACK NoteStatus(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_SETTEXT && CurrentUploader && CurrentUploader->Dialog &&
      CurrentUploader->Dialog->StatusLabel && m->hwnd == CurrentUploader->Dialog->StatusLabel->Handle)
    g_statusTexts.push_back(reinterpret_cast<const char*>(m->lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST_CASE("status window: the steps in order, then the wait, gone with the uploader") {
  if (!ServerPresent()) return;
  TFakeWizard w("/ok");
  g_statusTexts.clear();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, NoteStatus, nullptr, GetCurrentThreadId());
  HWND window;
  {
    TUploader uploader;
    CurrentUploader = &uploader;
    uploader.CreateDialog(&w.Form);
    window = uploader.Dialog->Handle;
    int code = -9;
    TStr answer = uploader.Upload(TFakeWizard::Url("/ok").c_str(), "usr=x", "Test", &code);
    CHECK(code == 0);
    CHECK(answer == kOkAnswer);
    CHECK(IsWindowVisible(window));
    CHECK(uploader.Dialog->StatusLabel->GetText() == "please wait...");
    RECT client;
    GetClientRect(window, &client);
    CHECK((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == 0);
    CHECK(client.bottom - client.top == ToDevice(72));
  }
  UnhookWindowsHookEx(hook);
  CHECK(CurrentUploader == nullptr);
  CHECK_FALSE(IsWindow(window));
  std::vector<std::string> expected = {"Connecting...", "Connected", "Sending request...",
                                       "Receiving an answer...", "please wait..."};
  std::string seen;
  for (auto& t : g_statusTexts) seen += t + "|";
  CAPTURE(seen);
  CHECK(g_statusTexts == expected);
  ReleaseWinInetLater();
}

static void DeleteMailKeys(const char* root) {
  std::string r = root;
  RegDeleteKeyA(HKEY_CURRENT_USER, (r + "\\Accounts\\00000002").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, (r + "\\Accounts").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, root);
}

TEST_CASE("default mail address: the default account's address, empty without one") {
  const char* root = "SOFTWARE\\Microsoft\\Internet Account Manager";
  DeleteMailKeys(root);
  CHECK(DefaultMailAddress() == "");
  HKEY k;
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, root, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0);
  RegSetValueExA(k, "Default Mail Account", 0, REG_SZ, (const BYTE*)"00000002", 9);
  RegCloseKey(k);
  CHECK(DefaultMailAddress() == "");
  std::string account = std::string(root) + "\\Accounts\\00000002";
  REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, account.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0);
  RegSetValueExA(k, "SMTP Email Address", 0, REG_SZ, (const BYTE*)"jane@example.info", 18);
  RegCloseKey(k);
  CHECK(DefaultMailAddress() == "jane@example.info");
  DeleteMailKeys(root);
}

namespace {
TFakeWizard* g_nested;
int g_nestedResult = -1;
int AnswerAndFinishAgain(void* owner, const char* text, const char* caption, unsigned flags) {
  // Finish again while the offer runs (the background's close does that).
  if (g_nestedResult < 0) g_nestedResult = g_nested->Finish() ? 1 : 0;
  return Answer(owner, text, caption, flags);
}
}  // namespace

TEST_CASE("registration: a second Finish while the offer runs starts nothing") {
  if (!ServerPresent()) return;
  TFakeWizard w("/ok");
  int before = RequestCount();
  g_nested = &w;
  g_nestedResult = -1;
  MessageHook = AnswerAndFinishAgain;
  CHECK(w.Finish());
  CHECK(g_nestedResult == 0);
  CHECK(RequestCount() == before + 1);
  CHECK(g_boxes.size() == 2);
}
