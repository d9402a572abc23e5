#include "register/dialog_frame.h"

void PrepareRegistrationWindow(TWinControl* w, int width, int height, int hitTest) {
  w->Visible = false;
  w->TabStop = false;
  w->HitTestAnswer = hitTest;
  w->Style = WS_CAPTION | WS_SYSMENU;
  w->ExStyle = WS_EX_DLGMODALFRAME;
  w->SetColor(0xC0C0C0);
  w->TextColor = 0;
  w->Width = width;
  w->Height = height;
  w->Left = (ScreenWidth - width) / 2;
  w->Top = (ScreenHeight - height) / 2;
}

TBitmapControl* AddProductIcon(TWinControl* w, int at) {
  TBitmapControl* icon = new TBitmapControl(w);
  icon->Text = "MAINICON";
  icon->Style = SS_ICON;
  icon->Left = icon->Top = at;
  icon->Width = icon->Height = 32;
  icon->CreateHandle();
  w->AddChild(icon);
  return icon;
}

void DropTitleBar(TWinControl* w, int clientHeight) {
  SetWindowLongA(w->Handle, GWL_STYLE, GetWindowLongA(w->Handle, GWL_STYLE) & ~WS_CAPTION);
  SetWindowPos(w->Handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  w->SetHeight(w->Height - w->ClientHeight() + clientHeight);
}
