// FindTAP.cpp - finds a TAP file by its TAP ID anywhere below
// "/ProgramFiles", breadth-first, skipping the update manager's settings
// folder.
//
// The folders go through a folder walk (Kalib's FolderWalk), which queues
// each real folder once whatever links or repeated listings lead to it: a
// link to a folder above cannot make the search endless, and queueing costs
// the same per folder however many folders there are.
#include <string.h>

#include "Tools.h"

static const char *const SearchRoot = "/ProgramFiles";

// Copies `text` into `dest` of `size` bytes, cut to fit and terminated.
static void CopyBounded(char *dest, size_t size, const char *text) {
  size_t length = strnlen(text, size - 1);
  memcpy(dest, text, length);
  dest[length] = '\0';
}

// Queues the subfolder `name` of `folder`.  A path that does not fit a
// path buffer cannot be entered and is left out; the manager's settings
// folder is never searched; a folder queued before is not queued again.
static void QueueSubfolder(tFolderWalk *walk, const char *folder, const char *name) {
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return;
  if (strlen(folder) + 1 + strlen(name) >= KALIB_PATH_MAX) return;

  char NextDir[KALIB_PATH_MAX];
  TAP_SPrint(NextDir, "%s/%s", folder, name);
  if (strcmp(NextDir, VANTERO_SETTINGS_DIR) != 0) FolderWalkAdd(walk, NextDir);
}

// Looks at the entries of the working directory, `folder`: queues its
// subfolders and reads the header of each TAP file.  True on a match, with
// the outputs filled.  It takes as many entries as TAP_Hdd_FindFirst
// reports: the firmware promises nothing about TAP_Hdd_FindNext's result.
static bool SearchFolder(tFolderWalk *walk, const char *folder, dword tapId, char *tapName,
                         char *folderName) {
  TYPE_FolderEntry FolderEntry;
  tTAPInfo TAPInfo;
  int NrFiles = (int)TAP_Hdd_FindFirst(&FolderEntry, "tap");
  for (int i = 0; i < NrFiles; i++) {
    if (i > 0) TAP_Hdd_FindNext(&FolderEntry);
    FolderEntry.name[sizeof(FolderEntry.name) - 1] = '\0';

    if (FolderEntry.attr == ATTR_FOLDER) {
      QueueSubfolder(walk, folder, FolderEntry.name);
    } else if (FolderEntry.attr == ATTR_NORMAL) {
      if (!HDD_TAP_GetInfo(FolderEntry.name, &TAPInfo) || TAPInfo.TAPID != tapId) continue;
      if (tapName != nullptr) CopyBounded(tapName, sizeof(FolderEntry.name), FolderEntry.name);
      if (folderName != nullptr) CopyBounded(folderName, KALIB_PATH_MAX, folder);
      return true;
    }
  }
  return false;
}

bool FindTAP(dword tapId, char *tapName, char *folderName) {
  CallTraceEnter("FindTAP");

  tFolderWalk walk;
  FolderWalkInit(&walk);
  // Known from the start, the settings folder is never queued, whatever
  // link leads to it.
  FolderSetAdd(&walk.Seen, VANTERO_SETTINGS_DIR);
  FolderWalkAdd(&walk, SearchRoot);

  bool found = false;
  char folder[KALIB_PATH_MAX];
  while (!found && FolderWalkNext(&walk, folder)) {
    if (HDD_ChangeDir(folder)) found = SearchFolder(&walk, folder, tapId, tapName, folderName);
  }

  FolderWalkDestroy(&walk);
  CallTraceExit(nullptr);
  return found;
}
