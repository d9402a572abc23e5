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
TIniFile* SetupScript = nullptr;
TStr ScriptPath;
TStr ScriptTexts[kScriptTextCount];
int UpperColour = 0, LowerColour = 0;
TRegIniFile* MachineRegistry = nullptr;
int ScriptCharSet = 0;
unsigned TextCodePage = 0;
