#include "package/package_error.h"

TStr FileChangedText(const TStr& subject) {
  return Concat("Another program replaced or changed a file setup had just written:\n", subject,
                "\n\nSetup stopped rather than use it.");
}
