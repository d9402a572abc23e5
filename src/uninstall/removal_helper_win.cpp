#include "uninstall/removal_helper.h"

// Self-removal comes with the uninstaller; until then /D does nothing.
void RemovalHelperRun(const TStr& file, const TStr& message) {}
