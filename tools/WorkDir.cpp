// WorkDir.cpp - saving the working directory and changing back to it,
// whatever its length: the firmware's folder stack holds 199 characters
// only, and an operation that changed folders without coming back would
// leave its caller reading files of the wrong folder.
#include "ToolsInternal.h"

tWorkDir WorkDirSave(void) {
  tWorkDir saved;
  saved.Known = HDD_TAP_GetCurrentDir(saved.Dir) == 0 && saved.Dir[0] != '\0';
  if (!saved.Known) saved.Dir[0] = '\0';
  return saved;
}

bool WorkDirRestore(const tWorkDir *saved) {
  return saved != nullptr && saved->Known && HDD_ChangeDir(saved->Dir);
}
