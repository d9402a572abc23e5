#include "base/error.h"

bool IsRefusedName(unsigned systemError) {
  switch (systemError) {
    case 123:   // ERROR_INVALID_NAME: a character the system cannot use there
    case 161:   // ERROR_BAD_PATHNAME
    case 206:   // ERROR_FILENAME_EXCED_RANGE
    case 1113:  // ERROR_NO_UNICODE_TRANSLATION
      return true;
    default:
      return false;
  }
}
