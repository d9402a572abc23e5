// The registration offer at the end of a setup: the question, the post, the
// answer shown to the user and the retry with another user name.
#pragma once
#include "package/package_layout.h"
#include "script/script_values.h"
#include "script/texts.h"
#include "ui/controls.h"

// The [Owner] settings and the state of the offer, kept by the background
// window for the whole run.
struct TRegistrationOffer {
  bool AskToRegister = false;  // [Owner] AskToRegister is exactly 1
  TStr RegistrationURL;
  TStr RegistrationQuery;
  // [General] Caption: the product, as the post's agent string names it.
  TStr Product;
  // Set once the user declined or an answer arrived; never offered again.
  bool RegistrationDone = false;
};

// The wizard's controls the flow reads and the windows that own its boxes.
struct TRegistrationForm {
  HWND Background = nullptr;  // owns the offer question
  TWinControl* Wizard = nullptr;  // owns the status window, the name dialog, the answer boxes
  TEdit* NameEdit = nullptr;
  TEdit* CompanyEdit = nullptr;
  TEdit* EmailEdit = nullptr;  // may be missing: an empty address is sent
  TButton* CancelButton = nullptr;  // Finish; disabled while the post runs
  // What the flow says: the script's texts, and the package its question
  // and answer texts (KESTIN\register.txt, regans.txt, regerr.txt) come from.
  TScriptTexts Texts;
  TPackagePlace Package;
};

// Reads AskToRegister, RegistrationURL (default `actualUrl`) and
// RegistrationQuery from the setup script's [Owner] section, and the
// product's caption.
void ReadRegistrationSettings(TRegistrationOffer* offer, const TScriptValues& script, const TStr& actualUrl);

// Finish on the last page: asks whether to register (once the user declined
// or an answer arrived, no more) and runs the post. True when the wizard may
// finish; false keeps it on its last page, and the next Finish offers again.
bool OfferRegistration(TRegistrationOffer* offer, const TRegistrationForm& form);

// The post loop (each pass one attempt; a name-exists answer may start another).
void RunRegistration(TRegistrationOffer* offer, const TRegistrationForm& form);

// The user-name dialog for a retry; returns the name typed (the current name
// when the dialog is closed other than by its OK button).
TStr AskUserName(TWinControl* owner, const TStr& current);

// The address of the user's default mail account, empty when none is known.
TStr DefaultMailAddress();

class TUploadUsr : public TWinControl {
 public:
  explicit TUploadUsr(TWinControl* owner);
  TBitmapControl* Icon = nullptr;
  TLabel* Label = nullptr;
  TEdit* Edit = nullptr;
  TButton* OkButton = nullptr;
};
