// Rules for the names files carry inside a cabinet ("KESTIN\kestin.ini").
#pragma once
#include <string>

// Why a stored name must not be extracted, or "" when it is safe. The rule is
// the setup program's own (IsSafeStoredName): the name stays inside the
// target folder (no "..", no absolute path, no drive) and names no device
// (CON, NUL, AUX, PRN, COM1-9, LPT1-9, with any extension). Both '\' and '/'
// count as separators, as they do on Windows.
std::string Stored_UnsafeReason(const std::string& name);

// Why a file or folder name found in a source folder cannot be stored, or ""
// when it can: Windows could not create it under that name.
std::string Stored_InvalidComponentReason(const std::string& component);

// The form in which the setup program compares stored names: ASCII
// upper-casing, and '/' taken as the separator '\' it stands for.
std::string Stored_Upper(const std::string& name);
