// The setup's windows: the background window that carries the whole setup
// (its modal loop is the loop of the install run) and the wizard on it.
#pragma once
#include "base/message_box.h"
#include "install/install_run.h"
#include "install/setup_session.h"
#include "package/package_files.h"
#include "register/registration.h"
#include "ui/controls.h"
#include "wizard/wizard_layout.h"

class TWizardWindow;

// The wizard as the install run's host: its boxes are owned by the wizard
// window, and its progress shows on the install page.
class TWizardRunHost : public TMessageBoxHost {
public:
  explicit TWizardRunHost(TWizardWindow* wizard) : wizard_(wizard) {}
  void Progress(int percent) override;

private:
  TWizardWindow* wizard_;
};

class TBackgroundWindow : public TWinControl {
 public:
  // Builds the window, its labels and the wizard. When the wizard cannot be
  // built (the session's Cancel raised while building), the caller skips
  // the loop.
  explicit TBackgroundWindow(TSetupSession& session);
  // Alt+F4 and the system's close go through the wizard's Cancel.
  static bool CloseRequested(void* data, TWinControl* sender);

  TLabel* TitleLabel = nullptr;
  TLabel* OwnerCaptionLabel = nullptr;
  TLabel* LinkLabel = nullptr;
  TStr ActualURL;
  TSetupSession& Session;
  // [Owner] AskToRegister, the registration address and query, and whether
  // the offer is done.
  TRegistrationOffer Registration;
  TWizardWindow* Wizard = nullptr;

 protected:
  void HandleEraseBackground(TMessage& m) override;
  void HandleOwnMessage(TMessage& m) override;
};

extern TBackgroundWindow* BackgroundWindow;

// Fills `rect` from `from` at the top to `to` at the bottom in `steps` bands.
void GradientFill(HDC dc, const RECT& rect, int from, int steps, int to);

class TWizardWindow : public TWinControl {
 public:
  explicit TWizardWindow(TBackgroundWindow* owner);
  ~TWizardWindow() override;

  void ShowPage(int page);
  // The third button's action on the current page (also Alt+F4 and Escape).
  void CancelPressed();
  // Gives the keyboard focus back to the control that had it (after a
  // message box, or when the window is activated again), else to the
  // page's default button.
  void RestoreFocus();

  // What the start-up learnt; the wizard decides its Cancel and LaunchCommand.
  TSetupSession& Session;
  // A value of the setup script (empty when missing), one of its texts, and
  // a text of the package.
  TStr ScriptText(const char* section, const char* key) const;
  const TStr& TextOf(TextId id) const { return Session.Script->Texts[id]; }
  TStr PackageText(const char* name) const { return ReadPackageText(Session.Package, name); }

  TButton* BackButton = nullptr;
  TButton* NextButton = nullptr;
  TButton* CancelButton = nullptr;
  TBitmapControl* LogoImage = nullptr;
  TBitmapControl* IconImage = nullptr;
  TLabel* TitleLabel = nullptr;
  TLabel* BodyLabel = nullptr;
  TEdit* TextViewer = nullptr;
  TLabel* NameLabel = nullptr;
  TEdit* NameEdit = nullptr;
  TLabel* CompanyLabel = nullptr;
  TEdit* CompanyEdit = nullptr;
  TLabel* EmailLabel = nullptr;
  TEdit* EmailEdit = nullptr;
  int AssocCount = 0;
  int ComponentCount = 0;
  TCheckBox* ComponentChecks[kMaxOptions] = {};
  TLabel* ComponentSizeLabels[kMaxOptions] = {};
  // The names of the components that cannot be cleared (their boxes are
  // disabled and carry no caption).
  TLabel* ComponentNames[kMaxOptions] = {};
  long long ComponentSizes[kMaxOptions] = {};
  TStr ComponentCaptions[kMaxOptions];
  TGroupBox* DescriptionGroup = nullptr;
  TLabel* DescriptionLabel = nullptr;
  TLabel* SpaceReqLabel = nullptr;
  TLabel* SpaceReqValue = nullptr;
  int SpaceRowTop = 0;
  TGroupBox* FolderGroup = nullptr;
  TEdit* FolderEdit = nullptr;
  TButton* BrowseButton = nullptr;
  TLabel* SpaceAvailLabel = nullptr;
  TLabel* SpaceAvailValue = nullptr;
  TLabel* GroupEditLabel = nullptr;
  TLabel* GroupListLabel = nullptr;
  TEdit* GroupEdit = nullptr;
  TListBox* GroupList = nullptr;
  TGroupBox* ProgressGroup = nullptr;
  TLabel* PercentLabel = nullptr;
  TProgressBar* ProgressBar = nullptr;
  TCheckBox* DesktopCheck = nullptr;
  TCheckBox* ProgramsCheck = nullptr;
  TCheckBox* LaunchCheck = nullptr;
  TCheckBox** AssocChecks = nullptr;

  int CurrentPage = 0;
  TCheckBox* DescribedComponent = nullptr;
  bool RegistrationOn = false;
  bool Built = false;
  // The install run; filled when the install starts (it reads the open
  // setup script).
  TInstallRun Run;
  TWizardRunHost RunHost{this};
  bool Installing = false;

  // Handlers (data: the wizard).
  static void ButtonClick(void* data, TWinControl* sender);
  static void ValidateUser(void* data, TWinControl* sender);
  static void UpdateSpaceReq(void* data, TWinControl* sender);
  static void ShowDescription(void* data, TWinControl* sender);
  static void ComponentMouseMove(void* data, TWinControl* sender, unsigned char shift, int x, int y);
  static void UpdateSpaceAvail(void* data, TWinControl* sender);
  static void BrowseClick(void* data, TWinControl* sender);
  static void GroupListChange(void* data, TWinControl* sender);
  static void KeyDownHandler(void* data, TWinControl* sender, int key, unsigned char shift);

 private:
  void BuildControls();
  void FillGroupList();
  void LayoutCommon(bool logo, const TStr& title, const TStr& body);
  void PlaceTitle(int left, int top, int width, const TStr& text);
  void ShowPage7();
  void ShowPage8();
  void NextPressed();
  bool DestinationAccepted();
  bool GroupAccepted();
  void RunInstall();
  void Focus(TWinControl* c);
  void Finish();
  int ClientW();
};

extern TWizardWindow* WizardWindow;

// Takes the title bar off a window that was made with one and gives it the
// fixed size of the background or the wizard.
void RemoveCaption(TWinControl* w, int width, int height);
