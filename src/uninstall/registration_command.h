// The command line that has the system's registration tool register or
// unregister one system file. Shared by the install run and the uninstall run
// so both name the file the same way.
#pragma once
#include "base/str.h"

// systemFolder + "regsvr32.exe [/u] /c /s " + systemFolder + name, with both
// paths in double quotes: a folder with a blank would otherwise split the
// path into arguments of the tool.
TStr RegistrationCommand(const TStr& systemFolder, const TStr& name, bool unregister);
// The tool's full path (started by path, never searched for).
TStr RegistrationTool(const TStr& systemFolder);
