#include <windows.h>

#include "app/startup.h"
#include "app/startup_workspace.h"
#include "base/held_file.h"
#include "package/helper_library.h"
#include "package/package_error.h"

namespace {

THeldEntry g_fixedFolder;  // temporary folder + "kestin", when it is used
// Temporary folder + "kestin-<number>": the loader's, or made when needed.
// The loader's is neither held nor removed here (Created stays false).
THeldEntry g_ownFolder;
THeldEntry g_script;

bool OwnFolder(const TStr& tempFolder, TStr* folder, TError* error) {
  if (g_ownFolder.Path.empty() && !CreateUniqueFolder(tempFolder + "kestin-", &g_ownFolder)) {
    error->Set(kErrorStart, kStartNoWorkspace, GetLastError(), tempFolder + "kestin");
    return false;
  }
  *folder = WithBackslash(g_ownFolder.Path);
  return true;
}

}  // namespace

void UseLoaderWorkspace(const char* folder) {
  if (folder && *folder) g_ownFolder.Path = folder;
}

TError PlaceWorkspaceLibrary(const TStr& tempFolder, const TStr& slot) {
  TError e;
  if (LoadHelperLibraryAt(tempFolder + "uncab.dll", slot, &e) != kNameTaken) return e;
  TStr own;
  if (!OwnFolder(tempFolder, &own, &e)) return e;
  // In a folder this run has just made, a taken name means another program
  // is racing it.
  if (LoadHelperLibraryAt(own + "uncab.dll", slot, &e) == kNameTaken) e.Set(kErrorPackage, kFileChanged, 0, own + "uncab.dll");
  return e;
}

TError PlaceWorkspaceScript(const TStr& tempFolder, const TStr& content, TStr* scriptPath) {
  TError e;
  unsigned system = 0;
  TStr path = tempFolder + "kestin\\kestin.ini";
  TPlaceResult placed = kNameTaken;
  // A "kestin" entry that is a link or junction, or no folder at all, is not
  // used; one that is a plain folder is, and stays when it was there before.
  if (HoldFolder(tempFolder + "kestin", true, &g_fixedFolder))
    placed = PlaceHeldFile(path, content.c_str(), content.size(), &g_script, &system);
  if (placed == kNameTaken) {
    TStr own;
    if (!OwnFolder(tempFolder, &own, &e)) return e;
    path = own + "kestin.ini";
    placed = PlaceHeldFile(path, content.c_str(), content.size(), &g_script, &system);
    if (placed == kNameTaken) placed = kPlaceTampered;
  }
  if (placed == kPlaceFailed) e.Set(kErrorStart, kStartScriptNotWritten, system, path);
  if (placed == kPlaceTampered) e.Set(kErrorPackage, kFileChanged, system, path);
  if (placed == kPlaced) *scriptPath = path;
  return e;
}

void RemoveWorkspace() {
  RemoveHeldEntry(&g_script);
  UnloadHelperLibrary();
  // Folders go last, and only when this run made them and they are empty.
  RemoveHeldEntry(&g_fixedFolder);
  RemoveHeldEntry(&g_ownFolder);
}
