#include "uninstall/registration_command.h"

TStr RegistrationTool(const TStr& systemFolder) { return WithBackslash(systemFolder) + "regsvr32.exe"; }

TStr RegistrationCommand(const TStr& systemFolder, const TStr& name, bool unregister) {
  return Concat("\"", RegistrationTool(systemFolder), unregister ? "\" /u /c /s \"" : "\" /c /s \"",
                WithBackslash(systemFolder), name, "\"");
}
