// The standard controls the wizard and the dialogs are built from: thin
// classes over the system's "STATIC", "EDIT", "LISTBOX", "BUTTON" and
// "msctls_progress32" windows, plus the label's own shadowed drawing. The
// creation functions build a control, place and colour it, create its window
// and add it to its parent's children (and so to the Tab order) in one call.
#pragma once
#include "ui/window.h"

class TLabel : public TStdControl {
 public:
  explicit TLabel(TWinControl* parent);
  void CreateHandle() override;
  void SetText(const TStr& text) override;
  // Word wrap on adds the word-break flag, off removes it; both re-measure.
  void SetWordWrap(bool on);
  void SetAutoSize(bool on);
  void SetShadowDepth(int depth);
  // Sizes the label to its text (auto size only); a right-aligned label keeps
  // its right edge.
  void AdjustSize();
  // Has the parent repaint the area below the label (for a transparent one).
  void InvalidateUnder() const;

  bool AutoSize = true;
  unsigned DrawFormat = DT_VCENTER;  // the system's text-drawing flags
  unsigned char Alignment = 0;       // 0 left, 1 centred, 2 right (the label draws itself)
  int ShadowDepth = 0;
  unsigned char ShadowDirection = 2;  // 0 up-left, 1 down-left, 2 down-right, 3 up-right
  int ShadowColor = 0;

 protected:
  void HandlePaint(TMessage& m) override;
  void HandleEraseBackground(TMessage& m) override;
  void HandleOwnMessage(TMessage& m) override;
  void FontChanged() override;

 private:
  bool PaintsItself() const;
};

class TEdit : public TStdControl {
 public:
  explicit TEdit(TWinControl* parent);
  void SetMargins(int pixels);  // left and right inner margins

 protected:
  void HandleHitTest(TMessage& m) override;
  bool KeyPress(char ch) override;
};

class TListBox : public TStdControl {
 public:
  explicit TListBox(TWinControl* parent);
  int Count() const;
  int ItemIndex() const;
  void SetItemIndex(int i);
  int TopIndex() const;
  void SetTopIndex(int i);
  TStr Item(int i) const;  // at most 255 characters
  // Adds an item (at most 255 characters); the first item of a list is selected.
  void AddItem(const char* text);

  bool Sorted = false;  // set before creation
  int Error = 0;        // -1 once adding an item failed

 protected:
  void HandleHitTest(TMessage& m) override;
};

class TButton : public TStdControl {
 public:
  explicit TButton(TWinControl* parent);
  // Non-zero: a click ends the parent's modal loop with this result instead of
  // firing OnClick.
  int ButtonModalResult = 0;

 protected:
  void Click() override;
};

class TCheckBox : public TStdControl {
 public:
  explicit TCheckBox(TWinControl* parent);
  bool Checked() const;
  void SetChecked(bool on);

 protected:
  void Click() override;
};

class TGroupBox : public TStdControl {
 public:
  explicit TGroupBox(TWinControl* parent);
};

// Its setters post their message, so the install worker may call them.
class TProgressBar : public TStdControl {
 public:
  explicit TProgressBar(TWinControl* parent);
  void CreateHandle() override;
  void SetMax(int n);
  void SetPosition(int n);
  int Position() const { return Pos; }
  void SetStep(int n);

  unsigned short Max = 100;
  unsigned short Pos = 0;
  unsigned short Step = 0;
};

// A bitmap (style SS_BITMAP, 0x0E) or icon (SS_ICON, 3) of the program's
// resources, named by the text; SS_CENTERIMAGE (0x200) centres it in the bounds.
class TBitmapControl : public TWinControl {
 public:
  explicit TBitmapControl(TWinControl* parent);
  void CreateHandle() override;
};

// Creation functions. Colours as in TWinControl; sizes of 0 or less keep a
// label's default size and leave it sizing itself to its text. A new label is
// shown and its parent painted again.
TLabel* NewLabel(TWinControl* parent, const char* text, int left, int top, int width, int height,
                 int textColor, int backColor, int backMode, int alignment);
TEdit* NewEdit(TWinControl* parent, const char* text, int left, int top, int width, int height,
               int textColor, int backColor, DWORD extraStyle);
TListBox* NewListBox(TWinControl* parent, int left, int top, int width, int height, int textColor,
                     int backColor, bool sorted);
TButton* NewButton(TWinControl* parent, const char* caption, int left, int top, int width,
                   int height, int textColor, int backColor, int modalResult);
TCheckBox* NewCheckBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor);
TGroupBox* NewGroupBox(TWinControl* parent, const char* caption, int left, int top, int width,
                       int height, int textColor, int backColor);
TProgressBar* NewProgressBar(TWinControl* parent, int left, int top, int width, int height,
                             int textColor, int backColor, int maximum);
