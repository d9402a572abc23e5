#include "base/process_state.h"

volatile unsigned char CancelFlag = 0;
volatile unsigned char InstallDone = 0;
volatile unsigned char InstallSucceeded = 0;
unsigned char WindowsNT = 0;
unsigned char LaunchWanted = 0;
TStr LaunchCommand;
TStr OwnFileName("setup.exe");
TStr ProgramArg0;
TStr CabinetPath;
int CabinetOffset = 0;
TStr SystemFolder;
TStr TempFolder;
int ScriptCharSet = 1;
