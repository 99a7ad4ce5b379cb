// HDD_TAP_PushDir.cpp - the stack of saved working directories.  Callers pair every successful
// push with a pop.
#include <string.h>

#include "BoundedString.h"
#include "Kalib.h"
#include "WorkDir.h"

char TAPDirStack[TAP_DIR_STACK_DEPTH][TAP_DIR_STACK_ENTRY];
int TAPDirStackDepth = -1;

// A directory longer than an entry holds (199 characters) is refused, not
// cut: popping a cut path would change into the wrong folder.
bool HDD_TAP_PushDir(void) {
  if (TAPDirStackDepth + 1 >= TAP_DIR_STACK_DEPTH) return false;
  char currentDir[KALIB_PATH_MAX] = "";
  if (HDD_TAP_GetCurrentDir(currentDir) != 0) return false;
  if (!StrCopyBounded(TAPDirStack[TAPDirStackDepth + 1], TAP_DIR_STACK_ENTRY, currentDir)) return false;
  TAPDirStackDepth++;
  return true;
}

bool HDD_TAP_PopDir(void) {
  if (TAPDirStackDepth < 0) return false;
  // Copied first: the change may push (when it learns the success value)
  // and so reuse the entry that is being popped.
  char dir[TAP_DIR_STACK_ENTRY];
  StrCopyBounded(dir, sizeof dir, TAPDirStack[TAPDirStackDepth]);
  TAPDirStackDepth--;
  return HDD_ChangeDir(dir);
}
