// The setup script of install mode: one TIniFile on the extracted
// KESTIN\kestin.ini, open from the start-up to the teardown.
#pragma once
#include "base/process_state.h"
#include "script/ini_file.h"

// Opens the script at `path`, applies its CharSet and reads the 28 texts. A
// missing file reads as empty: every key then takes its default.
void LoadSetupScript(const TStr& path);
void FreeSetupScript();

// Reads a [General] colour with its default text; unconvertible text is black.
int ReadScriptColour(const char* key, const char* fallback);
