// What the registration's two small windows share: a hidden popup of the
// wizard, centred on the screen, silver, with the product's icon, and no
// title bar once built.
#pragma once
#include "ui/controls.h"

// Sets the fields before creation: hidden, no Tab stop, `hitTest`, centred at
// width x height.
void PrepareRegistrationWindow(TWinControl* w, int width, int height, int hitTest);
// The product icon, 32 x 32 at (at, at), added to w's children.
TBitmapControl* AddProductIcon(TWinControl* w, int at);
// Drops the title bar and makes the client area `clientHeight` high.
void DropTitleBar(TWinControl* w, int clientHeight);
