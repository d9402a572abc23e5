#include "install/system_files.h"

TStr RegistrationFailureText(const TStr& message, const TStr& name, unsigned code) {
  return Concat(message, " ", name, "(", IntToStr(code), ")");
}
