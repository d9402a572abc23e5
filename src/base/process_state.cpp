#include "base/process_state.h"

TSharedFlag CancelFlag;
unsigned char WindowsNT = 0;
unsigned char LaunchWanted = 0;
TStr LaunchCommand;
TStr OwnFileName("setup.exe");
TStr ProgramArg0;
TStr CabinetPath;
int CabinetOffset = 0;
TStr SystemFolder;
TStr TempFolder;
TStr ScriptPath;
int UpperColour = 0, LowerColour = 0;
unsigned TextCodePage = 0;
