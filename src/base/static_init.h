// The Windows binaries link without the C runtime's start-up code (it would
// cost a fifth of the size budget), so their entries run the static
// constructors themselves.
#pragma once

// Runs the constructors of every static object, in the order the compiler's
// support library would.
void RunStaticConstructors();
