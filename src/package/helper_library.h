// The helper library (uncab.dll): copied out of the package into a folder of
// this run's choosing, held and checked there, and loaded by its full path.
#pragma once
#include "base/error.h"
#include "base/held_file.h"

// The library's image: the slot of the program file just before the cabinet,
// or at the file's end when the cabinet is a file of its own. False when the
// file cannot be read or is too short to hold one.
bool ReadHelperLibrarySlot(const TStr& programPath, int cabinetOffset, TStr* slot);

// Writes `slot` as a new file at `path` and holds it; loads it only when it
// holds exactly the slot's bytes, and keeps it only when it offers FDICreate,
// FDICopy and FDIDestroy. kNameTaken: something this run did not write has
// the name and was left alone (put the copy elsewhere). kPlaceFailed or
// kPlaceTampered: *error says what failed (package error codes), and no copy
// is left behind. kPlaced: loaded.
TPlaceResult LoadHelperLibraryAt(const TStr& path, const TStr& slot, TError* error);

// Both steps for a package file: its slot placed as `folder` + "uncab.dll"
// (folder with a trailing backslash) and loaded. False, with *error filled when
// given, when the slot cannot be read or the copy cannot be placed there.
bool LoadHelperLibraryFrom(const TStr& programPath, int cabinetOffset, const TStr& folder,
                           TError* error = nullptr);

// Frees the library and deletes its copy, if that is still the file this run
// wrote.
void UnloadHelperLibrary();

// The loaded helper library (an HMODULE), or null.
void* HelperLibraryHandle();
