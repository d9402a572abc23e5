// The setup script of install mode: one TIniFile on the extracted
// KESTIN\kestin.ini, open from the start-up to the teardown.
#pragma once
#include "base/process_state.h"
#include "script/ini_file.h"

// The open script (null before LoadSetupScript and after FreeSetupScript).
extern TIniFile* SetupScript;

// Opens the script at `path` and reads the 28 texts. A missing file reads as
// empty: every key then takes its default. Returns the font character set
// its CharSet names: the value's low byte, 0 when it names none (a low byte
// of 0 cannot be asked for), for the start-up to hand to the toolkit.
int LoadSetupScript(const TStr& path);
void FreeSetupScript();

// Reads a [General] colour with its default text; unconvertible text is black.
int ReadScriptColour(const char* key, const char* fallback);
