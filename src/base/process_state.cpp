#include "base/process_state.h"

TSharedFlag CancelFlag;
TSharedFlag InstallDone;
TSharedFlag InstallSucceeded;
unsigned char WindowsNT = 0;
unsigned char LaunchWanted = 0;
TStr LaunchCommand;
TStr OwnFileName("setup.exe");
TStr ProgramArg0;
TStr CabinetPath;
int CabinetOffset = 0;
TStr SystemFolder;
TStr TempFolder;
int ScriptCharSet = 0;
