// One registration attempt on screen: the small status window that tells the
// user what the post is doing while it runs.
#pragma once
#include "ui/controls.h"

// The system's dialog macro of that name would rename the method below.
#undef CreateDialog

class TUploadMsg : public TWinControl {
 public:
  explicit TUploadMsg(TWinControl* owner);
  TBitmapControl* Icon = nullptr;
  TLabel* StatusLabel = nullptr;
};

class TUploader {
 public:
  TUploader() {}
  ~TUploader();  // hides and frees the status window
  TUploader(const TUploader&) = delete;
  TUploader& operator=(const TUploader&) = delete;
  void CreateDialog(TWinControl* owner);
  // Posts `body` to `url`; *code is 0 with the server's answer, or a failure
  // code of register/http_post.h with its text as the answer. The status
  // window shows each step (not at all when the library is missing).
  TStr Upload(const TStr& url, const TStr& body, const TStr& product, int* code, bool utf8 = false);

  TUploadMsg* Dialog = nullptr;
};

// The uploader the post's steps report to; set while one exists.
extern TUploader* CurrentUploader;

// Status texts, in the order they appear.
extern const char* const kStatusConnecting;
extern const char* const kStatusConnected;
extern const char* const kStatusSending;
extern const char* const kStatusReceiving;
extern const char* const kStatusWaiting;
// Pause after each status text but the last, so each can be read.
const unsigned kStatusPauseMs = 500;
